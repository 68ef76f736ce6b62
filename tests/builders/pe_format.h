// Offsets and constants of the PE structures that the PE builder writes
// (IMAGE_DOS_HEADER, IMAGE_FILE_HEADER, IMAGE_OPTIONAL_HEADER32/64,
// IMAGE_SECTION_HEADER and the resource directory of winnt.h), each relative to
// its own structure's start. Kept apart from pe/, the code the images test.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamro::test::pe_format {

constexpr std::uint32_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
  return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
}

// The builder's layout choices.
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kLfanew = 0x80;  // where the NT headers begin

// IMAGE_DOS_HEADER.
constexpr std::size_t kDosMaxAlloc = 0x0C;  // where a directory at RVA 0 keeps its counts
constexpr std::size_t kDosLfanew = 0x3C;

// "PE\0\0", then IMAGE_FILE_HEADER.
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kFileMachine = 0;
constexpr std::size_t kFileNumberOfSections = 2;
constexpr std::size_t kFileSizeOfOptionalHeader = 16;
constexpr std::size_t kFileCharacteristics = 18;
constexpr std::uint16_t kMachineI386 = 0x14C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kDllCharacteristics32 = 0x2102;  // DLL, 32-bit, executable
constexpr std::uint16_t kDllCharacteristics64 = 0x2022;  // DLL, large address aware, executable

// IMAGE_OPTIONAL_HEADER32 and IMAGE_OPTIONAL_HEADER64.
constexpr std::size_t kOptMagic = 0;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kOptMajorLinkerVersion = 2;
constexpr std::size_t kOptImageBase32 = 28;
constexpr std::size_t kOptImageBase64 = 24;
constexpr std::size_t kOptSectionAlignment = 32;
constexpr std::size_t kOptFileAlignment = 36;
constexpr std::size_t kOptMajorOperatingSystemVersion = 40;
constexpr std::size_t kOptMajorSubsystemVersion = 48;
constexpr std::size_t kOptSizeOfImage = 56;
constexpr std::size_t kOptSizeOfHeaders = 60;
constexpr std::size_t kOptSubsystem = 68;
constexpr std::size_t kOptDllCharacteristics = 70;
constexpr std::size_t kOptSizeOfStackReserve = 72;  // then stack commit, heap reserve, commit
constexpr std::size_t kOptNumberOfRvaAndSizes32 = 92;
constexpr std::size_t kOptNumberOfRvaAndSizes64 = 108;
constexpr std::size_t kOptDataDirectories32 = 96;
constexpr std::size_t kOptDataDirectories64 = 112;
constexpr std::uint32_t kDataDirectoryCount = 16;
constexpr std::size_t kDataDirectorySize = 8;
constexpr std::size_t kResourceDirectoryIndex = 2;
constexpr std::uint16_t kSubsystemWindowsGui = 2;
constexpr std::uint16_t kDynamicBaseNxCompatible = 0x0140;

// IMAGE_SECTION_HEADER.
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSecName = 0;
constexpr std::size_t kSecNameSize = 8;
constexpr std::size_t kSecVirtualSize = 8;
constexpr std::size_t kSecVirtualAddress = 12;
constexpr std::size_t kSecSizeOfRawData = 16;
constexpr std::size_t kSecPointerToRawData = 20;
constexpr std::size_t kSecCharacteristics = 36;
constexpr std::uint32_t kCodeSection = 0x60000020u;             // code, execute, read
constexpr std::uint32_t kInitializedDataSection = 0x40000040u;  // initialized data, read

// IMAGE_RESOURCE_DIRECTORY, _DIRECTORY_ENTRY and _DATA_ENTRY.
constexpr std::size_t kDirectorySize = 16;
constexpr std::size_t kDirNamedCount = 12;
constexpr std::size_t kDirIdCount = 14;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kEntryName = 0;
constexpr std::size_t kEntryTarget = 4;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kDataOffsetToData = 0;
constexpr std::size_t kDataSize = 4;
constexpr std::uint32_t kSubdirectory = 0x80000000u;  // in an entry's target
constexpr std::uint32_t kStringName = 0x80000000u;    // in an entry's name
constexpr std::size_t kDataAlignment = 8;             // of the resource bytes and the tree's end

// The offset of entry `index` of the directory table at `table`, and of its target.
constexpr std::size_t EntryAt(std::size_t table, std::size_t index) {
  return table + kDirectorySize + kEntrySize * index;
}
constexpr std::size_t TargetAt(std::size_t table, std::size_t index) {
  return EntryAt(table, index) + kEntryTarget;
}

}  // namespace tamro::test::pe_format
