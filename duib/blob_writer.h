// Writes a DUIB blob in the canonical layout: the header, the resid section (only
// when there are entries), the element section, and the string section last,
// each string's UTF-16LE units followed by a zero unit, in the order of the IDs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "duib/blob_view.h"

namespace tamro::duib {

struct BlobContent {
  std::vector<std::uint32_t> items;  // element and attribute items, in stream order
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
