// The built-in vocabulary: the names of IDs 0x8000 and above, which a blob uses
// without storing their text. A constant table, shared by every conversion; the
// names are ASCII, so they are the same bytes in every output encoding.
#pragma once

#include <cstdint>
#include <string_view>

namespace tamro {

struct NameDictionary {
  // Number of (ID, name) pairs in the table.
  static constexpr std::size_t kSize = 47;

  // The built-in name of `id`, or an empty view when the table has none.
  static std::string_view Lookup(std::uint16_t id);
};

}  // namespace tamro
