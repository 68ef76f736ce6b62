// The built-in words as padded pieces, for the writer's fixed-size copies: built
// at compile time from duib's table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "duib/name_dictionary.h"
#include "engine/padded_text.h"

namespace tamro {

inline constexpr std::size_t kBuiltinSlots = duib::kBuiltinIdEnd - duib::kBuiltinWords[0].id;

// The words by ID - 0x8000; an empty piece where the table has none.
extern const std::array<PaddedPiece, kBuiltinSlots> kBuiltinNamesById;

// The word of a built-in `id`, or an empty piece. Inline: the rendering asks for
// one or two names per item.
inline PaddedPiece BuiltinName(std::uint16_t id) {
  const std::size_t slot = static_cast<std::size_t>(id) - 0x8000;  // wraps below 0x8000
  return slot < kBuiltinSlots ? kBuiltinNamesById[slot] : PaddedPiece();
}

}  // namespace tamro
