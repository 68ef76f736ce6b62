#include "compile/text_position.h"

namespace tamro::compile {

TextPosition AdvanceOverLines(TextPosition from, std::string_view text) {
  for (const char c : text) {
    if (c == '\n') {
      ++from.line;
      from.column = 1;
    } else {
      from.column += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
  }
  return from;
}

}  // namespace tamro::compile
