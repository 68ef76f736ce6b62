#include "duib/placeholder.h"

namespace tamro::duib {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kField = 4;

}  // namespace

std::size_t FormatPlaceholder(std::uint16_t id, NameKind kind, char* out) {
  const std::string_view prefix = PlaceholderPrefix(kind);
  std::size_t at = 0;
  for (const char c : prefix) out[at++] = c;
  char digits[kField];
  std::size_t count = 0;
  std::uint32_t rest = id;
  do {
    digits[count++] = kHexDigits[rest & 0xF];
    rest >>= 4;
  } while (rest != 0);
  for (std::size_t pad = count; pad < kField; ++pad) out[at++] = ' ';
  while (count > 0) out[at++] = digits[--count];
  out[at++] = ')';
  return at;
}

std::optional<std::uint16_t> ParseLongPlaceholder(std::string_view text, NameKind kind) {
  const std::string_view prefix = PlaceholderPrefix(kind);
  if (text.size() != PlaceholderLength(kind) || text.substr(0, prefix.size()) != prefix ||
      text.back() != ')') {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (const char c : text.substr(prefix.size(), kField)) {
    if (c == ' ') {
      if (value != 0) return std::nullopt;  // blanks only in front of the digits
      continue;
    }
    const std::string_view digits(kHexDigits, 16);
    const std::size_t digit = digits.find(c);
    if (digit == std::string_view::npos) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  // Exactly the form FormatPlaceholder writes: no leading zero, no empty field.
  char canonical[kMaxPlaceholder];
  const std::size_t length = FormatPlaceholder(static_cast<std::uint16_t>(value), kind, canonical);
  if (std::string_view(canonical, length) != text) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace tamro::duib
