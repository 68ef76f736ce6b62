// A DUIB blob read and checked: the header is right and every section, resid
// entry, item and string lies inside the blob. The view copies nothing; it keeps
// the checked positions and reads from the caller's bytes, which must outlive it.
#pragma once

#include <cstdint>

#include "bytes/byte_view.h"
#include "duib/convert_status.h"

namespace tamro::duib {

struct ResidEntry {
  std::uint32_t valueId;       // the value the element's resid attribute must have
  std::uint32_t elementIndex;  // the element it belongs to, among element items
};

class BlobView {
 public:
  // Reads `blob` ([blob, blob + size)): the header first, then the resid,
  // element and string sections, in that order whatever their order in the
  // blob. ConvertStatus::Ok, or the code of the first check that fails; the view
  // is usable only after Ok.
  ConvertStatus Read(const std::uint8_t* blob, std::uint32_t size);

  const ByteView& Bytes() const { return bytes_; }

  std::uint32_t ItemCount() const { return itemCount_; }
  std::uint32_t Item(std::uint32_t k) const { return bytes_.U32Unchecked(itemsAt_ + 4 * k); }
  std::uint32_t DeclaredElementCount() const { return declaredElementCount_; }

  std::uint32_t ResidCount() const { return residCount_; }
  ResidEntry Resid(std::uint32_t i) const {
    const std::uint32_t at = residEntriesAt_ + 8 * i;
    return ResidEntry{bytes_.U32Unchecked(at), bytes_.U32Unchecked(at + 4)};
  }

  std::uint32_t StringCount() const { return stringCount_; }
  // Where string `index` (below StringCount) begins in the blob.
  std::uint32_t StringStart(std::uint32_t index) const {
    return stringSectionAt_ + bytes_.U32Unchecked(stringSectionAt_ + 8 + 4 * index);
  }
  // The string's code units before its zero unit, which reading proved to lie
  // inside the blob for every string start.
  std::uint32_t StringUnits(std::uint32_t start) const {
    std::uint32_t end = start;
    while (bytes_.U16Unchecked(end) != 0) end += 2;
    return (end - start) / 2;
  }
  // Whether the string has no code units: one unit read, whatever its length.
  bool StringEmpty(std::uint32_t start) const { return bytes_.U16Unchecked(start) == 0; }

 private:
  ConvertStatus ReadResidSection();
  ConvertStatus ReadElementSection(std::uint64_t at);
  ConvertStatus ReadStringSection(std::uint64_t at);

  ByteView bytes_;
  std::uint32_t residEntriesAt_ = 0;
  std::uint32_t residCount_ = 0;
  std::uint32_t itemsAt_ = 0;
  std::uint32_t itemCount_ = 0;
  std::uint32_t declaredElementCount_ = 0;
  std::uint32_t stringSectionAt_ = 0;
  std::uint32_t stringCount_ = 0;
};

// True when the first five bytes read "duib" and 0x05, the letters in any case.
// Looser than the header check of Read: "DUIB" or a version of 0x105 pass here
// and fail there. Never reads past `size`; null is not DUIB.
bool IsDuibBuffer(const std::uint8_t* blob, std::uint32_t size);

}  // namespace tamro::duib
