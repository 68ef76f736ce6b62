// How the text form shows an ID that names nothing: "UNKNOWN_ELEM(%4X)",
// "UNKNOWN_ATTR(%4X)" or "UNKNOWN_VAL(%4X)", the ID in upper-case hexadecimal
// right-aligned in four characters. The renderer writes them; the compiler reads
// them back to the raw ID they show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tamro::duib {

enum class NameKind { Element, Attribute, Value };

inline constexpr std::size_t kMaxPlaceholder = 18;  // "UNKNOWN_ELEM(FFFF)"

constexpr std::string_view PlaceholderPrefix(NameKind kind) {
  switch (kind) {
    case NameKind::Element:
      return "UNKNOWN_ELEM(";
    case NameKind::Attribute:
      return "UNKNOWN_ATTR(";
    case NameKind::Value:
      break;
  }
  return "UNKNOWN_VAL(";
}

// Every placeholder of a kind has this many characters.
constexpr std::size_t PlaceholderLength(NameKind kind) {
  return PlaceholderPrefix(kind).size() + 5;  // four for the ID, and ')'
}

// Writes the placeholder of `id` into `out` (room for kMaxPlaceholder); returns
// its length.
std::size_t FormatPlaceholder(std::uint16_t id, NameKind kind, char* out);

// The ID that `text` shows when it is exactly a placeholder of `kind` as
// FormatPlaceholder writes it; nullopt for anything else ("UNKNOWN_VAL(0041)",
// lower-case digits, five characters, another kind). Inline, its first test
// turns away nearly every other word before any call.
std::optional<std::uint16_t> ParseLongPlaceholder(std::string_view text, NameKind kind);
inline std::optional<std::uint16_t> ParsePlaceholder(std::string_view text, NameKind kind) {
  if (text.size() != PlaceholderLength(kind) || text[0] != 'U') return std::nullopt;
  return ParseLongPlaceholder(text, kind);
}

}  // namespace tamro::duib
