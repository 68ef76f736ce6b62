// The built-in vocabulary: the names of IDs 0x8000 and above, which a blob uses
// without storing their text. A constant table, shared by every conversion; the
// names are ASCII, so they are the same bytes in every output encoding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/padded_text.h"

namespace tamro {

struct NameDictionary {
  // Number of (ID, name) pairs in the table.
  static constexpr std::size_t kSize = 47;

  // The built-in name of `id`, or an empty piece when the table has none. Inline:
  // the rendering asks for one or two names per item.
  static PaddedPiece Lookup(std::uint16_t id) {
    const std::size_t slot = static_cast<std::size_t>(id) - kFirstId;  // wraps below kFirstId
    return slot < kSlots ? kNamesById[slot] : PaddedPiece();
  }

 private:
  static constexpr std::uint16_t kFirstId = 0x8000;
  static constexpr std::size_t kSlots = 0x40;  // every built-in ID lies below 0x8040
  static const std::array<PaddedPiece, kSlots> kNamesById;
};

}  // namespace tamro
