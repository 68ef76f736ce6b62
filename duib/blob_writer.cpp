#include "duib/blob_writer.h"

#include <cstring>

#include "duib/layout.h"

namespace tamro::duib {
namespace {

// The four section sizes, each with its head.
struct Sizes {
  std::uint64_t resid;
  std::uint64_t elements;
  std::uint64_t strings;
  std::uint64_t total;
};

Sizes SizesOf(const BlobContent& content) {
  Sizes sizes{};
  sizes.resid = content.resid.empty()
                    ? 0
                    : kSectionHeadSize + std::uint64_t{kResidEntrySize} * content.resid.size();
  sizes.elements = kSectionHeadSize + 4 * std::uint64_t{content.items.size()};
  sizes.strings = kSectionHeadSize + 4 * std::uint64_t{content.stringStarts.size()} +
                  2 * std::uint64_t{content.stringUnits.size()};
  sizes.total = kHeaderSize + sizes.resid + sizes.elements + sizes.strings;
  return sizes;
}

// Writes into bytes sized beforehand: every write lies inside them.
class LittleEndianOut {
 public:
  explicit LittleEndianOut(std::uint8_t* at) : at_(at) {}
  void U32(std::uint64_t value) {
    StoreU32(at_, static_cast<std::uint32_t>(value));
    at_ += 4;
  }
  void Skip(std::uint64_t count) { at_ += count; }
  void U16(std::uint32_t value) {
    *at_++ = static_cast<std::uint8_t>(value);
    *at_++ = static_cast<std::uint8_t>(value >> 8);
  }

 private:
  std::uint8_t* at_;
};

}  // namespace

std::optional<std::uint32_t> BlobSize(const BlobContent& content) {
  const std::uint64_t total = SizesOf(content).total;
  if (total > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(total);
}

BlobBytes WriteBlob(BlobContent&& content) {
  if (!BlobSize(content)) return {};
  const Sizes sizes = SizesOf(content);
  const std::uint64_t itemBytes = 4 * std::uint64_t{content.items.size()};
  BlobBytes bytes = std::move(content.items.bytes_);
  bytes.Extend(static_cast<std::size_t>(sizes.total) - bytes.size());
  const std::uint64_t elementsAt = kHeaderSize + sizes.resid;
  const std::uint64_t stringsAt = elementsAt + sizes.elements;
  if (sizes.resid != 0) {
    std::memmove(bytes.data() + elementsAt + kSectionHeadSize, bytes.data() + ItemStream::kItemsAt,
                 static_cast<std::size_t>(itemBytes));
  }

  LittleEndianOut out(bytes.data());
  out.U32(kMagic);
  out.U32(kVersion);
  out.U32(elementsAt);
  out.U32(stringsAt);
  out.U32(content.resid.empty() ? 0 : 1);

  if (!content.resid.empty()) {
    out.U32(sizes.resid);
    out.U32(content.resid.size());
    for (const ResidEntry& entry : content.resid) {
      out.U32(entry.valueId);
      out.U32(entry.elementIndex);
    }
  }

  out.U32(sizes.elements);
  out.U32(content.elementCount);
  out.Skip(itemBytes);  // the items, in place

  const std::uint64_t dataAt = kSectionHeadSize + 4 * std::uint64_t{content.stringStarts.size()};
  out.U32(sizes.strings);
  out.U32(content.stringStarts.size());
  for (const std::uint32_t start : content.stringStarts) out.U32(dataAt + 2 * std::uint64_t{start});
  for (const char16_t unit : content.stringUnits) out.U16(unit);
  return bytes;
}

}  // namespace tamro::duib
