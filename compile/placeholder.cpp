#include "compile/placeholder.h"

namespace tamro::compile {
namespace {

// The ID in exactly the form {:4X} gives it.
std::optional<std::uint16_t> ParseId(std::string_view field) {
  std::size_t at = 0;
  while (at < 3 && field[at] == ' ') ++at;
  if (field[at] == '0' && at < 3) return std::nullopt;
  std::uint16_t id = 0;
  for (; at < 4; ++at) {
    const char c = field[at];
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    id = static_cast<std::uint16_t>(id << 4 | digit);
  }
  return id;
}

}  // namespace

std::optional<std::uint16_t> ParseLongPlaceholder(std::string_view text, std::string_view prefix) {
  if (!text.starts_with(prefix) || text.back() != ')') return std::nullopt;
  return ParseId(text.substr(prefix.size(), 4));
}

}  // namespace tamro::compile
