#include "duib/blob_view.h"

#include <array>
#include <iterator>

#include "bytes/ascii_case.h"
#include "duib/layout.h"

namespace tamro::duib {
namespace {

// For each byte parity, the position of the last zero UTF-16 code unit that lies
// wholly inside the blob, or -1. A string starting at p has its terminator inside
// the blob exactly when the last zero unit of p's parity lies at or after p; this
// answers every string-table entry in O(1) after one backward scan.
std::array<std::int64_t, 2> LastZeroUnits(ByteView bytes) {
  std::array<std::int64_t, 2> last = {-1, -1};
  int found = 0;
  for (std::int64_t q = std::int64_t{bytes.size()} - 2; q >= 0 && found < 2; --q) {
    const std::size_t parity = static_cast<std::size_t>(q & 1);
    if (last[parity] < 0 && bytes.U16Unchecked(static_cast<std::uint32_t>(q)) == 0) {
      last[parity] = q;
      ++found;
    }
  }
  return last;
}

}  // namespace

ConvertStatus BlobView::Read(const std::uint8_t* blob, std::uint32_t size) {
  if (size < kHeaderSize) return ConvertStatus::SizeCheck;
  if (blob == nullptr) return ConvertStatus::HeaderRead;
  bytes_ = ByteView(blob, size);
  if (bytes_.U32Unchecked(kHeaderMagic) != kMagic ||
      bytes_.U32Unchecked(kHeaderVersion) != kVersion) {
    return ConvertStatus::BadSignature;
  }
  if (bytes_.U32Unchecked(kHeaderResidFlag) != 0) {
    if (const ConvertStatus status = ReadResidSection(); status != ConvertStatus::Ok) {
      return status;
    }
  }
  if (const ConvertStatus status = ReadElementSection(bytes_.U32Unchecked(kHeaderElementOffset));
      status != ConvertStatus::Ok) {
    return status;
  }
  return ReadStringSection(bytes_.U32Unchecked(kHeaderStringOffset));
}

ConvertStatus BlobView::ReadResidSection() {
  // Once the head lies inside the blob its two fields read; a read can fail only
  // where there are no bytes at all, which the header read has already refused.
  if (bytes_.size() < kResidSectionAt + kSectionHeadSize) return ConvertStatus::SizeCheck;
  const std::uint32_t sectionSize = bytes_.U32Unchecked(kResidSectionAt);
  const std::uint32_t count = bytes_.U32Unchecked(kResidSectionAt + 4);
  if (!bytes_.Contains(kResidSectionAt, sectionSize)) return ConvertStatus::SizeCheck;

  // The entries are bounded by the blob alone, not by the section size. The first
  // entry that would pass the blob's end fails the section; since every earlier
  // entry reads fine, checking the whole run at once gives the same result.
  const std::uint32_t entriesAt = kResidSectionAt + kSectionHeadSize;
  if (!bytes_.Contains(entriesAt, std::uint64_t{count} * kResidEntrySize)) {
    return ConvertStatus::SizeCheck;
  }
  residEntriesAt_ = entriesAt;
  residCount_ = count;
  return ConvertStatus::Ok;
}

ConvertStatus BlobView::ReadElementSection(std::uint64_t at) {
  if (!bytes_.Contains(at, kSectionHeadSize)) return ConvertStatus::SizeCheck;
  const std::uint32_t sectionSize = bytes_.U32Unchecked(static_cast<std::uint32_t>(at));
  declaredElementCount_ = bytes_.U32Unchecked(static_cast<std::uint32_t>(at + 4));
  if (!bytes_.Contains(at, sectionSize)) return ConvertStatus::SizeCheck;

  // Whole 4-byte items from behind the section head to the section's end; 1 to 3
  // stray bytes at the end are ignored.
  const std::uint32_t itemBytes =
      sectionSize > kSectionHeadSize ? sectionSize - kSectionHeadSize : 0;
  itemsAt_ = static_cast<std::uint32_t>(at + kSectionHeadSize);
  itemCount_ = itemBytes / 4;
  return ConvertStatus::Ok;
}

ConvertStatus BlobView::ReadStringSection(std::uint64_t at) {
  if (!bytes_.Contains(at, kSectionHeadSize)) return ConvertStatus::SizeCheck;
  const std::uint32_t sectionSize = bytes_.U32Unchecked(static_cast<std::uint32_t>(at));
  const std::uint32_t count = bytes_.U32Unchecked(static_cast<std::uint32_t>(at + 4));
  if (at + sectionSize != bytes_.size()) return ConvertStatus::SizeCheck;

  const std::array<std::int64_t, 2> lastZero = LastZeroUnits(bytes_);
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto offset = bytes_.U32(at + kSectionHeadSize + 4 * std::uint64_t{i});
    if (!offset) return ConvertStatus::SizeCheck;
    const std::uint64_t start = at + *offset;
    if (start >= bytes_.size() || lastZero[start & 1] < static_cast<std::int64_t>(start)) {
      return ConvertStatus::SizeCheck;
    }
  }
  stringSectionAt_ = static_cast<std::uint32_t>(at);
  stringCount_ = count;
  return ConvertStatus::Ok;
}

bool IsDuibBuffer(const std::uint8_t* blob, std::uint32_t size) {
  static constexpr std::uint8_t kSignature[] = {'d', 'u', 'i', 'b', 0x05};
  if (blob == nullptr || size < std::size(kSignature)) return false;
  for (std::size_t i = 0; i < std::size(kSignature); ++i) {
    if (FoldAsciiCase(blob[i]) != kSignature[i]) return false;
  }
  return true;
}

}  // namespace tamro::duib
