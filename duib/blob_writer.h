// Writes a DUIB blob in the canonical layout: the header, the resid section (only
// when there are entries), the element section, and the string section last,
// each string's UTF-16LE units followed by a zero unit, in the order of the IDs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "duib/blob_bytes.h"
#include "duib/blob_view.h"
#include "duib/layout.h"

namespace tamro::duib {

inline void StoreU32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
  at[2] = static_cast<std::uint8_t>(value >> 16);
  at[3] = static_cast<std::uint8_t>(value >> 24);
}

struct BlobContent;
BlobBytes WriteBlob(BlobContent&& content);

// The element and attribute items, in stream order, written straight into the
// block that becomes the blob: the sections around them follow when they are
// known, and the items are neither copied nor held twice.
class ItemStream {
 public:
  explicit ItemStream(const BlockMemory& memory = HeapMemory()) : bytes_(memory) {
    bytes_.Extend(kItemsAt);
  }
  void push_back(std::uint32_t item) { StoreU32(bytes_.Extend(4), item); }
  std::size_t size() const { return (bytes_.size() - kItemsAt) / 4; }
  std::uint32_t operator[](std::size_t i) const {
    const std::uint8_t* at = bytes_.data() + kItemsAt + 4 * i;
    return at[0] | (at[1] << 8) | (at[2] << 16) | (std::uint32_t{at[3]} << 24);
  }
  // Sets `bits` in item `i`, below size().
  void SetBits(std::size_t i, std::uint32_t bits) {
    StoreU32(bytes_.data() + kItemsAt + 4 * i, (*this)[i] | bits);
  }

 private:
  friend BlobBytes WriteBlob(BlobContent&& content);
  // Room for the header and the element section's head: where the items lie when
  // the blob has no resid section.
  static constexpr std::size_t kItemsAt = kHeaderSize + kSectionHeadSize;
  BlobBytes bytes_;
};

struct BlobContent {
  ItemStream items;
  std::uint32_t elementCount = 0;  // the declared count: the element items among them
  std::vector<ResidEntry> resid;   // empty: no resid section
  // The strings by ID, back to back, each followed by its zero unit; string i
  // begins at unit stringStarts[i].
  std::u16string stringUnits;
  std::vector<std::uint32_t> stringStarts;
};

// The blob's size in bytes, or nullopt when it would not fit the format's 32-bit
// sizes and offsets.
std::optional<std::uint32_t> BlobSize(const BlobContent& content);

// The blob, made of the content's own item block; empty when BlobSize says it
// does not fit.
BlobBytes WriteBlob(BlobContent&& content);

}  // namespace tamro::duib
