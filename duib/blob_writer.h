// Writes a DUIB blob in the canonical layout: the header, the resid section (only
// when there are entries), the element section, and the string section last,
// each string's UTF-16LE units followed by a zero unit, in the order of the IDs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "duib/blob_view.h"

namespace tamro::duib {

// Items as they are appended, in blocks: appending never moves the items already
// there, so a long stream costs one write of each item, not the copies and the
// fresh pages of a growing array.
class ItemBlocks {
 public:
  void push_back(std::uint32_t item) {
    if (size_ % kBlock == 0) blocks_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(kBlock));
    blocks_.back()[size_ % kBlock] = item;
    ++size_;
  }
  std::size_t size() const { return size_; }
  // Item `i`, below size().
  std::uint32_t& operator[](std::size_t i) { return blocks_[i / kBlock][i % kBlock]; }
  std::uint32_t operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 16;
  std::vector<std::unique_ptr<std::uint32_t[]>> blocks_;
  std::size_t size_ = 0;
};

struct BlobContent {
  ItemBlocks items;                  // element and attribute items, in stream order
  std::uint32_t elementCount = 0;    // the declared count: the element items among them
  std::vector<ResidEntry> resid;     // empty: no resid section
  // The strings by ID, back to back, each followed by its zero unit; string i
  // begins at unit stringStarts[i].
  std::u16string stringUnits;
  std::vector<std::uint32_t> stringStarts;
};

// The blob's size in bytes, or nullopt when it would not fit the format's 32-bit
// sizes and offsets.
std::optional<std::uint32_t> BlobSize(const BlobContent& content);

// The blob; empty when BlobSize says it does not fit.
std::vector<std::uint8_t> WriteBlob(const BlobContent& content);

}  // namespace tamro::duib
