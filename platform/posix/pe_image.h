// The headers of a PE32 or PE32+ image: where its resource directory is, and how
// a relative virtual address (RVA) maps onto the bytes of the file, section by
// section, as the Windows loader lays the image out in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/posix/pe_bytes.h"

namespace tamro::platform::pe {

class PeImage {
 public:
  // Checks the DOS header, the "PE\0\0" signature, the file header, the optional
  // header (magic 0x10B or 0x20B) and the section table. Nullopt when `file` is
  // not an image that the loader would map:
  // - no "MZ", e_lfanew or any header past the end of the file;
  // - an optional header shorter than its fixed part, or another magic;
  // - a section table past the end of the file;
  // - a section whose raw data (PointerToRawData + SizeOfRawData) passes the end
  //   of the file, or whose virtual range passes 4 GiB;
  // - sections that are not in ascending, non-overlapping virtual address order.
  static std::optional<PeImage> Parse(ByteView file);

  bool IsPe32Plus() const { return pe32Plus_; }

  // RVA of the resource directory (data directory entry 2); 0 when the image has
  // none. Its Size field is not used, as the loader does not use it either: every
  // structure is bounded by the section that holds it instead.
  std::uint32_t ResourceRva() const { return resourceRva_; }

  // File offset of the RVA range [rva, rva + length) when the whole range lies in
  // the file-backed part of one section (the first min(VirtualSize, SizeOfRawData)
  // bytes; a VirtualSize of 0 means SizeOfRawData) or in the headers (the first
  // SizeOfHeaders bytes, mapped at RVA 0). Nullopt otherwise: the range lies
  // outside every section, or in the zero-filled tail of one that the file does
  // not back.
  std::optional<std::uint64_t> MapRva(std::uint64_t rva, std::uint64_t length) const;

  ByteView File() const { return file_; }

 private:
  struct Range {
    std::uint64_t rva;
    std::uint64_t size;
    std::uint64_t fileOffset;
  };

  ByteView file_;
  bool pe32Plus_ = false;
  std::uint32_t resourceRva_ = 0;
  std::vector<Range> ranges_;  // ascending by rva, not overlapping, none empty
};

}  // namespace tamro::platform::pe
