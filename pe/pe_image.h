// The headers of a PE32 or PE32+ image and the image as the Windows loader lays it
// out in memory: the headers at RVA 0, each section at its virtual address over
// its extent (VirtualSize, or SizeOfRawData when that is 0, rounded up to the
// section alignment), backed by its raw data from PointerToRawData rounded down to
// 0x200 as the loader rounds it, and zeros past the raw data. Nothing outside
// SizeOfImage or between sections is mapped.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bytes/byte_view.h"

namespace tamro::pe {

class PeImage {
 public:
  // What the first bytes of a file say: an image, no image, or not enough bytes
  // to tell (the headers reach past them).
  enum class Verdict { Image, NotImage, NeedMore };

  // Checks the DOS header, "PE\0\0", the file and optional headers (magic 0x10B
  // or 0x20B, a power-of-two section alignment) and the section table of the
  // file's first bytes `headers`; `fileSize` is the whole file's length. Not an
  // image: any header past the end of the file, sections not in ascending,
  // non-overlapping order, or raw data past the end of the file.
  // With NeedMore, `needed` says how many of the file's first bytes are wanted.
  static Verdict CheckHeaders(ByteView headers, std::uint64_t fileSize, std::uint64_t& needed);

  // The image of the whole file `file`; nullopt when CheckHeaders refuses it.
  static std::optional<PeImage> Parse(ByteView file);

  bool IsPe32Plus() const { return pe32Plus_; }
  std::uint32_t SizeOfImage() const { return sizeOfImage_; }

  // RVA of the resource directory (data directory 2); 0 when the image has none.
  std::uint32_t ResourceRva() const { return resourceRva_; }

  // Whether every byte of [rva, rva + length) is mapped.
  bool Mapped(std::uint64_t rva, std::uint64_t length) const;

  // The file's bytes for [rva, rva + length) when one stretch of raw data backs
  // all of it; nullopt otherwise (not mapped, zeros in it, or across sections).
  std::optional<ByteView> Direct(std::uint64_t rva, std::uint64_t length) const;

  // Copies [rva, rva + length) as mapped into `out`; false when not all is mapped.
  bool Copy(std::uint64_t rva, std::uint64_t length, std::uint8_t* out) const;

  std::optional<std::uint16_t> U16(std::uint64_t rva) const;
  std::optional<std::uint32_t> U32(std::uint64_t rva) const;

 private:
  struct Region {
    std::uint64_t rva;
    std::uint64_t size;  // mapped bytes
    std::uint64_t fileOffset;
    std::uint64_t fileSize;  // the first fileSize bytes come from the file, the rest are 0
  };
  // The headers of `bytes`, the first bytes of a file of `fileSize` bytes.
  struct Reading {
    ByteView bytes;
    std::uint64_t fileSize;
    std::uint64_t needed = 0;
    // Whether [offset, offset + length) is there; if not, the verdict for it.
    bool Has(std::uint64_t offset, std::uint64_t length, Verdict& verdict);
  };
  static Verdict Read(Reading& in, PeImage& image);
  static Verdict ReadSections(Reading& in, std::uint64_t table, std::uint32_t count,
                              PeImage& image);
  const Region* RegionAt(std::uint64_t rva) const;

  ByteView file_;
  bool pe32Plus_ = false;
  std::uint32_t resourceRva_ = 0;
  std::uint32_t sizeOfImage_ = 0;
  std::uint32_t sectionAlignment_ = 0;
  std::vector<Region> regions_;  // ascending by rva, not overlapping, none empty
};

}  // namespace tamro::pe
