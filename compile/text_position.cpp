#include "compile/text_position.h"

#include <algorithm>

namespace tamro::compile {
namespace {

// Simple loops over the bytes, which the compiler turns into vector code.
std::size_t CountCodePoints(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace

TextPosition Advance(TextPosition from, std::string_view text) {
  const auto lineEnds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (lineEnds == 0) return {from.line, from.column + CountCodePoints(text)};
  const std::size_t lineStart = text.rfind('\n') + 1;
  return {from.line + lineEnds, 1 + CountCodePoints(text.substr(lineStart))};
}

}  // namespace tamro::compile
