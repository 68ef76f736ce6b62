// The placeholders tamro writes for IDs it has no name for: the kind's prefix, the
// ID as fmt's {:4X} writes it (right-aligned in four characters, upper-case hex,
// no leading zeros), and ')'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tamro::compile {

inline constexpr std::string_view kElementPlaceholder = "UNKNOWN_ELEM(";
inline constexpr std::string_view kAttributePlaceholder = "UNKNOWN_ATTR(";
inline constexpr std::string_view kValuePlaceholder = "UNKNOWN_VAL(";

constexpr std::size_t PlaceholderLength(std::string_view prefix) {
  return prefix.size() + 5;
}

// The ID shown when `text` is exactly a placeholder with `prefix`, its length and
// first letter tested here so that other words cost no call.
std::optional<std::uint16_t> ParseLongPlaceholder(std::string_view text, std::string_view prefix);
inline std::optional<std::uint16_t> ParsePlaceholder(std::string_view text,
                                                     std::string_view prefix) {
  if (text.size() != PlaceholderLength(prefix) || text[0] != 'U') return std::nullopt;
  return ParseLongPlaceholder(text, prefix);
}

}  // namespace tamro::compile
