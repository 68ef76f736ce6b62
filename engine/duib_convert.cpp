#include "engine/duib_convert.h"

#include <array>

namespace tamro {
namespace {

constexpr std::uint32_t kHeaderSize = 20;
constexpr std::uint32_t kResidSectionAt = 20;
constexpr std::uint32_t kSectionHeadSize = 8;

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

ConvertStatus CDuibConvert::Convert(const std::uint8_t* blob, std::uint32_t size,
                                    OutputSink& sink) {
  const ConvertStatus status = ReadBlob(blob, size);
  if (status != ConvertStatus::Ok) return status;
  OutputWriter writer(sink, maxOutputBytes_);
  out_ = &writer;
  const ConvertStatus rendered = Render();
  out_ = nullptr;
  return rendered;
}

ConvertStatus CDuibConvert::ReadBlob(const std::uint8_t* blob, std::uint32_t size) {
  if (size < kHeaderSize) return ConvertStatus::SizeCheck;
  if (blob == nullptr) return ConvertStatus::HeaderRead;
  const ByteView bytes(blob, size);
  blob_.bytes = bytes;

  Header& h = blob_.header;
  h.magic = bytes.U32Unchecked(0);
  h.version = bytes.U32Unchecked(4);
  h.elementOffset = bytes.U32Unchecked(8);
  h.stringOffset = bytes.U32Unchecked(12);
  h.residFlag = bytes.U32Unchecked(16);
  if (h.magic != kDuibMagic || h.version != kDuibVersion) return ConvertStatus::BadSignature;

  if (h.residFlag != 0) {
    if (const ConvertStatus status = ReadResidSection(bytes); status != ConvertStatus::Ok)
      return status;
  }
  if (const ConvertStatus status = ReadElementSection(bytes); status != ConvertStatus::Ok)
    return status;
  return ReadStringSection(bytes);
}

ConvertStatus CDuibConvert::ReadResidSection(ByteView blob) {
  // Once the head lies inside the blob its two fields read; a read can fail only
  // where there are no bytes at all, which the header read has already refused.
  if (blob.size() < kResidSectionAt + kSectionHeadSize) return ConvertStatus::SizeCheck;
  const std::uint32_t sectionSize = blob.U32Unchecked(kResidSectionAt);
  const std::uint32_t count = blob.U32Unchecked(kResidSectionAt + 4);
  if (!blob.Contains(kResidSectionAt, sectionSize)) return ConvertStatus::SizeCheck;

  // The entries are bounded by the blob alone, not by the section size. The first
  // entry that would pass the blob's end fails the section; since every earlier
  // entry reads fine, checking the whole run at once gives the same result.
  const std::uint32_t entriesAt = kResidSectionAt + kSectionHeadSize;
  if (!blob.Contains(entriesAt, std::uint64_t{count} * 8)) return ConvertStatus::SizeCheck;
  blob_.residEntriesAt = entriesAt;
  blob_.residCount = count;
  return ConvertStatus::Ok;
}

ConvertStatus CDuibConvert::ReadElementSection(ByteView blob) {
  const std::uint64_t at = blob_.header.elementOffset;
  if (!blob.Contains(at, kSectionHeadSize)) return ConvertStatus::SizeCheck;
  const std::uint32_t sectionSize = blob.U32Unchecked(static_cast<std::uint32_t>(at));
  declaredElementCount_ = blob.U32Unchecked(static_cast<std::uint32_t>(at + 4));
  if (!blob.Contains(at, sectionSize)) return ConvertStatus::SizeCheck;

  // Whole 4-byte items from behind the section head to the section's end; 1 to 3
  // stray bytes at the end are ignored.
  const std::uint32_t itemBytes =
      sectionSize > kSectionHeadSize ? sectionSize - kSectionHeadSize : 0;
  blob_.itemsAt = static_cast<std::uint32_t>(at + kSectionHeadSize);
  blob_.itemCount = itemBytes / 4;
  return ConvertStatus::Ok;
}

ConvertStatus CDuibConvert::ReadStringSection(ByteView blob) {
  const std::uint64_t at = blob_.header.stringOffset;
  if (!blob.Contains(at, kSectionHeadSize)) return ConvertStatus::SizeCheck;
  const std::uint32_t sectionSize = blob.U32Unchecked(static_cast<std::uint32_t>(at));
  const std::uint32_t count = blob.U32Unchecked(static_cast<std::uint32_t>(at + 4));
  if (at + sectionSize != blob.size()) return ConvertStatus::SizeCheck;

  const std::array<std::int64_t, 2> lastZero = LastZeroUnits(blob);
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto offset = blob.U32(at + kSectionHeadSize + 4 * std::uint64_t{i});
    if (!offset) return ConvertStatus::SizeCheck;
    const std::uint64_t start = at + *offset;
    if (start >= blob.size() || lastZero[start & 1] < static_cast<std::int64_t>(start)) {
      return ConvertStatus::SizeCheck;
    }
  }
  blob_.stringTableAt = static_cast<std::uint32_t>(at);
  poolBudget_ = blob.size() / 2;
  blob_.stringCount = count;
  return ConvertStatus::Ok;
}

}  // namespace tamro
