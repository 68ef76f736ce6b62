#include "pe/pe_image.h"

#include <algorithm>
#include <cstring>

#include "pe/pe_layout.h"

namespace tamro::pe {

namespace {

using namespace layout;

// The loader reads a section's raw data from its offset rounded down to this.
constexpr std::uint64_t kRawDataRounding = 0x200;

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

PeImage::Verdict PeImage::CheckHeaders(ByteView headers, std::uint64_t fileSize,
                                       std::uint64_t& needed) {
  PeImage image;
  Reading in{headers, fileSize};
  const Verdict verdict = Read(in, image);
  needed = in.needed;
  return verdict;
}

std::optional<PeImage> PeImage::Parse(ByteView file) {
  PeImage image;
  Reading in{file, file.size()};
  if (Read(in, image) != Verdict::Image) return std::nullopt;
  image.file_ = file;
  return image;
}

bool PeImage::Reading::Has(std::uint64_t offset, std::uint64_t length, Verdict& verdict) {
  if (bytes.Contains(offset, length)) return true;
  // Past the end of the file: no image. Past what we were given: read further.
  const bool inFile = offset <= fileSize && length <= fileSize - offset;
  verdict = inFile ? Verdict::NeedMore : Verdict::NotImage;
  if (inFile) needed = offset + length;
  return false;
}

PeImage::Verdict PeImage::Read(Reading& in, PeImage& image) {
  const ByteView& bytes = in.bytes;
  Verdict past = Verdict::NotImage;
  if (!in.Has(0, kDosHeaderSize, past)) return past;
  if (bytes.data()[0] != 'M' || bytes.data()[1] != 'Z') return Verdict::NotImage;

  const std::uint64_t ntHeaders = *bytes.U32(kDosLfanew);
  if (!in.Has(ntHeaders, 4 + kFileHeaderSize + 2, past)) return past;
  const std::uint8_t* signature = bytes.data() + ntHeaders;
  if (std::memcmp(signature, "PE\0\0", 4) != 0) return Verdict::NotImage;
  const std::uint64_t fileHeader = ntHeaders + 4;
  const std::uint32_t sectionCount = *bytes.U16(fileHeader + kFileNumberOfSections);
  const std::uint64_t optionalSize = *bytes.U16(fileHeader + kFileSizeOfOptionalHeader);

  const std::uint64_t optional = fileHeader + kFileHeaderSize;
  const std::optional<std::uint16_t> magic = bytes.U16(optional);
  if (*magic != kMagicPe32 && *magic != kMagicPe32Plus) return Verdict::NotImage;
  image.pe32Plus_ = *magic == kMagicPe32Plus;
  const std::uint64_t directories = image.pe32Plus_ ? kOptDataDirectories64 : kOptDataDirectories32;
  if (optionalSize < directories) return Verdict::NotImage;
  if (!in.Has(optional, optionalSize, past)) return past;

  image.sectionAlignment_ = *bytes.U32(optional + kOptSectionAlignment);
  const std::uint32_t alignment = image.sectionAlignment_;
  if (alignment == 0 || (alignment & (alignment - 1)) != 0) return Verdict::NotImage;
  image.sizeOfImage_ = *bytes.U32(optional + kOptSizeOfImage);
  const std::uint32_t directoryCount = *bytes.U32(
      optional + (image.pe32Plus_ ? kOptNumberOfRvaAndSizes64 : kOptNumberOfRvaAndSizes32));
  const std::uint64_t resourceEntry = directories + kResourceDirectoryIndex * kDataDirectorySize;
  if (directoryCount > kResourceDirectoryIndex &&
      resourceEntry + kDataDirectorySize <= optionalSize) {
    image.resourceRva_ = *bytes.U32(optional + resourceEntry);
  }
  const std::uint64_t headerSize = *bytes.U32(optional + kOptSizeOfHeaders);
  const Verdict sections = ReadSections(in, optional + optionalSize, sectionCount, image);
  if (sections != Verdict::Image) return sections;

  // The headers are mapped at RVA 0, up to the first section.
  const std::uint64_t firstSection = image.regions_.empty() ? kAddressSpace : image.regions_[0].rva;
  const std::uint64_t headerExtent =
      std::min({AlignUp(headerSize, alignment), firstSection, std::uint64_t{image.sizeOfImage_}});
  if (headerExtent != 0) {
    const std::uint64_t backed = std::min({headerSize, in.fileSize, headerExtent});
    image.regions_.insert(image.regions_.begin(), Region{0, headerExtent, 0, backed});
  }
  return Verdict::Image;
}

PeImage::Verdict PeImage::ReadSections(Reading& in, std::uint64_t table, std::uint32_t count,
                                       PeImage& image) {
  const ByteView& bytes = in.bytes;
  const std::uint64_t fileSize = in.fileSize;
  Verdict past = Verdict::NotImage;
  if (!in.Has(table, count * kSectionHeaderSize, past)) return past;
  image.regions_.reserve(count + 1);
  std::uint64_t nextFreeRva = 0;  // end of the previous section's extent
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t header = table + i * kSectionHeaderSize;
    const std::uint64_t virtualSize =
        bytes.U32Unchecked(static_cast<std::uint32_t>(header + kSecVirtualSize));
    const std::uint64_t rva =
        bytes.U32Unchecked(static_cast<std::uint32_t>(header + kSecVirtualAddress));
    const std::uint64_t rawSize =
        bytes.U32Unchecked(static_cast<std::uint32_t>(header + kSecSizeOfRawData));
    const std::uint64_t rawOffset =
        bytes.U32Unchecked(static_cast<std::uint32_t>(header + kSecPointerToRawData)) &
        ~(kRawDataRounding - 1);
    const std::uint64_t span = virtualSize != 0 ? virtualSize : rawSize;
    const std::uint64_t extent = AlignUp(span, image.sectionAlignment_);
    if (rva + extent > kAddressSpace || rva < nextFreeRva) return Verdict::NotImage;
    if (rawSize != 0 && (rawOffset > fileSize || rawSize > fileSize - rawOffset)) {
      return Verdict::NotImage;
    }
    nextFreeRva = rva + extent;
    const std::uint64_t mapped =
        std::min(extent, image.sizeOfImage_ > rva ? image.sizeOfImage_ - rva : 0);
    if (mapped != 0) {
      image.regions_.push_back(Region{rva, mapped, rawOffset, std::min({span, rawSize, mapped})});
    }
  }
  return Verdict::Image;
}

const PeImage::Region* PeImage::RegionAt(std::uint64_t rva) const {
  // The last region that starts at or before `rva` is the only one that can hold it.
  auto after = std::upper_bound(regions_.begin(), regions_.end(), rva,
                                [](std::uint64_t value, const Region& r) { return value < r.rva; });
  if (after == regions_.begin()) return nullptr;
  const Region& region = *(after - 1);
  return rva - region.rva < region.size ? &region : nullptr;
}

bool PeImage::Mapped(std::uint64_t rva, std::uint64_t length) const {
  std::uint64_t at = rva;
  const std::uint64_t end = rva + length;
  if (end < rva) return false;
  while (at < end) {
    const Region* region = RegionAt(at);
    if (region == nullptr) return false;
    at = region->rva + region->size;  // regions that touch continue the range
  }
  return true;
}

std::optional<ByteView> PeImage::Direct(std::uint64_t rva, std::uint64_t length) const {
  const Region* region = RegionAt(rva);
  if (region == nullptr) return std::nullopt;
  const std::uint64_t within = rva - region->rva;
  if (within > region->fileSize || length > region->fileSize - within) return std::nullopt;
  return file_.Sub(region->fileOffset + within, length);
}

bool PeImage::Copy(std::uint64_t rva, std::uint64_t length, std::uint8_t* out) const {
  if (!Mapped(rva, length)) return false;
  std::uint64_t done = 0;
  while (done < length) {
    const Region& region = *RegionAt(rva + done);
    const std::uint64_t within = rva + done - region.rva;
    const std::uint64_t piece = std::min(length - done, region.size - within);
    const std::uint64_t backed =
        within < region.fileSize ? std::min(piece, region.fileSize - within) : 0;
    if (backed != 0) {
      const std::optional<ByteView> source = file_.Sub(region.fileOffset + within, backed);
      if (!source) return false;
      std::memcpy(out + done, source->data(), static_cast<std::size_t>(backed));
    }
    std::memset(out + done + backed, 0, static_cast<std::size_t>(piece - backed));
    done += piece;
  }
  return true;
}

std::optional<std::uint16_t> PeImage::U16(std::uint64_t rva) const {
  std::uint8_t raw[2];
  if (!Copy(rva, 2, raw)) return std::nullopt;
  return ByteView(raw, 2).U16Unchecked(0);
}

std::optional<std::uint32_t> PeImage::U32(std::uint64_t rva) const {
  std::uint8_t raw[4];
  if (!Copy(rva, 4, raw)) return std::nullopt;
  return ByteView(raw, 4).U32Unchecked(0);
}

}  // namespace tamro::pe
