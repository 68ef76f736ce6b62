// The layout of the PE structures (winnt.h) that the readers of this folder use:
// sizes, and offsets relative to each structure's own start. One description
// serves the image reader and the resource reader.
#pragma once

#include <cstdint>

namespace tamro::pe::layout {

// IMAGE_DOS_HEADER, IMAGE_FILE_HEADER, IMAGE_OPTIONAL_HEADER32/64 and
// IMAGE_SECTION_HEADER.
inline constexpr std::uint64_t kDosHeaderSize = 64;
inline constexpr std::uint64_t kDosLfanew = 0x3C;
inline constexpr std::uint64_t kFileHeaderSize = 20;
inline constexpr std::uint64_t kFileNumberOfSections = 2;
inline constexpr std::uint64_t kFileSizeOfOptionalHeader = 16;
inline constexpr std::uint16_t kMagicPe32 = 0x10B;
inline constexpr std::uint16_t kMagicPe32Plus = 0x20B;
inline constexpr std::uint64_t kOptSectionAlignment = 32;
inline constexpr std::uint64_t kOptSizeOfImage = 56;
inline constexpr std::uint64_t kOptSizeOfHeaders = 60;
inline constexpr std::uint64_t kOptNumberOfRvaAndSizes32 = 92;
inline constexpr std::uint64_t kOptNumberOfRvaAndSizes64 = 108;
inline constexpr std::uint64_t kOptDataDirectories32 = 96;
inline constexpr std::uint64_t kOptDataDirectories64 = 112;
inline constexpr std::uint32_t kResourceDirectoryIndex = 2;
inline constexpr std::uint64_t kDataDirectorySize = 8;
inline constexpr std::uint64_t kSectionHeaderSize = 40;
inline constexpr std::uint64_t kSecVirtualSize = 8;
inline constexpr std::uint64_t kSecVirtualAddress = 12;
inline constexpr std::uint64_t kSecSizeOfRawData = 16;
inline constexpr std::uint64_t kSecPointerToRawData = 20;
inline constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

// IMAGE_RESOURCE_DIRECTORY, _DIRECTORY_ENTRY and _DATA_ENTRY (winnt.h).
inline constexpr std::uint32_t kDirectorySize = 16;
inline constexpr std::uint32_t kDirNamedCount = 12;
inline constexpr std::uint32_t kDirIdCount = 14;
inline constexpr std::uint32_t kEntrySize = 8;
inline constexpr std::uint32_t kEntryName = 0;
inline constexpr std::uint32_t kEntryTarget = 4;
inline constexpr std::uint32_t kDataEntrySize = 16;
inline constexpr std::uint32_t kHighBit = 0x80000000u;
inline constexpr std::uint32_t kOffsetMask = 0x7FFFFFFFu;

}  // namespace tamro::pe::layout
