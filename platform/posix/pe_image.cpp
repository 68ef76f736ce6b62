#include "platform/posix/pe_image.h"

#include <algorithm>

namespace tamro::platform::pe {

namespace {

// Offsets of the IMAGE_* structures (winnt.h), all relative to their own start.
constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kDosLfanew = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kFileNumberOfSections = 2;
constexpr std::uint64_t kFileSizeOfOptionalHeader = 16;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint64_t kOptSizeOfHeaders = 60;
constexpr std::uint64_t kOptNumberOfRvaAndSizes32 = 92;
constexpr std::uint64_t kOptNumberOfRvaAndSizes64 = 108;
constexpr std::uint64_t kOptDataDirectories32 = 96;
constexpr std::uint64_t kOptDataDirectories64 = 112;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kDataDirectorySize = 8;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kSecVirtualSize = 8;
constexpr std::uint64_t kSecVirtualAddress = 12;
constexpr std::uint64_t kSecSizeOfRawData = 16;
constexpr std::uint64_t kSecPointerToRawData = 20;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

}  // namespace

std::optional<PeImage> PeImage::Parse(ByteView file) {
  if (!file.Contains(0, kDosHeaderSize)) return std::nullopt;
  if (file.At(0)[0] != 'M' || file.At(0)[1] != 'Z') return std::nullopt;

  const std::uint64_t ntHeaders = *file.U32(kDosLfanew);
  if (!file.Contains(ntHeaders, 4 + kFileHeaderSize)) return std::nullopt;
  const std::uint8_t* signature = file.At(ntHeaders);
  if (signature[0] != 'P' || signature[1] != 'E' || signature[2] != 0 || signature[3] != 0) {
    return std::nullopt;
  }
  const std::uint64_t fileHeader = ntHeaders + 4;
  const std::uint32_t sectionCount = *file.U16(fileHeader + kFileNumberOfSections);
  const std::uint64_t optionalSize = *file.U16(fileHeader + kFileSizeOfOptionalHeader);

  const std::uint64_t optional = fileHeader + kFileHeaderSize;
  const std::optional<std::uint16_t> magic = file.U16(optional);
  if (!magic || (*magic != kMagicPe32 && *magic != kMagicPe32Plus)) return std::nullopt;
  PeImage image;
  image.file_ = file;
  image.pe32Plus_ = *magic == kMagicPe32Plus;
  const std::uint64_t directories = image.pe32Plus_ ? kOptDataDirectories64 : kOptDataDirectories32;
  if (optionalSize < directories || !file.Contains(optional, optionalSize)) return std::nullopt;

  const std::uint32_t directoryCount = *file.U32(
      optional + (image.pe32Plus_ ? kOptNumberOfRvaAndSizes64 : kOptNumberOfRvaAndSizes32));
  const std::uint64_t resourceEntry = directories + kResourceDirectoryIndex * kDataDirectorySize;
  if (directoryCount > kResourceDirectoryIndex &&
      resourceEntry + kDataDirectorySize <= optionalSize) {
    image.resourceRva_ = *file.U32(optional + resourceEntry);
  }

  const std::uint64_t sectionTable = optional + optionalSize;
  if (!file.Contains(sectionTable, sectionCount * kSectionHeaderSize)) return std::nullopt;

  image.ranges_.reserve(sectionCount + 1);
  std::uint64_t nextFreeRva = 0;  // end of the previous section's virtual range
  std::uint64_t firstSectionRva = kAddressSpace;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t header = sectionTable + i * kSectionHeaderSize;
    const std::uint64_t virtualSize = *file.U32(header + kSecVirtualSize);
    const std::uint64_t rva = *file.U32(header + kSecVirtualAddress);
    const std::uint64_t rawSize = *file.U32(header + kSecSizeOfRawData);
    const std::uint64_t rawOffset = *file.U32(header + kSecPointerToRawData);
    const std::uint64_t span = virtualSize != 0 ? virtualSize : rawSize;
    if (rva + span > kAddressSpace || rva < nextFreeRva) return std::nullopt;
    if (rawSize != 0 && !file.Contains(rawOffset, rawSize)) return std::nullopt;
    nextFreeRva = rva + span;
    firstSectionRva = std::min(firstSectionRva, rva);
    const std::uint64_t backed = std::min(span, rawSize);
    if (backed != 0) image.ranges_.push_back(Range{rva, backed, rawOffset});
  }

  // The headers are mapped at RVA 0, up to the first section.
  const std::uint64_t headerSize = std::min(
      {std::uint64_t{*file.U32(optional + kOptSizeOfHeaders)}, file.Size(), firstSectionRva});
  if (headerSize != 0) image.ranges_.insert(image.ranges_.begin(), Range{0, headerSize, 0});
  return image;
}

std::optional<std::uint64_t> PeImage::MapRva(std::uint64_t rva, std::uint64_t length) const {
  // The last range that starts at or before `rva` is the only one that can hold it.
  auto after = std::upper_bound(ranges_.begin(), ranges_.end(), rva,
                                [](std::uint64_t value, const Range& r) { return value < r.rva; });
  if (after == ranges_.begin()) return std::nullopt;
  const Range& range = *(after - 1);
  const std::uint64_t within = rva - range.rva;
  if (within >= range.size || length > range.size - within) return std::nullopt;
  return range.fileOffset + within;
}

}  // namespace tamro::platform::pe
