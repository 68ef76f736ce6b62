#include "compile/text_position.h"

namespace tamro::compile {

TextPosition AdvanceOverLines(TextPosition from, std::string_view text) {
  const std::size_t last = text.rfind('\n');
  if (last == std::string_view::npos) {
    return Advance(from, text, text.size());
  }
  std::uint64_t lineEnds = 0;
  std::size_t at = 0;
  for (; at + 8 <= last; at += 8) {
    lineEnds += CountMarks(BytesEqual(LoadWord(text.data() + at), '\n'));
  }
  for (; at <= last; ++at) lineEnds += text[at] == '\n';
  from.line += lineEnds;
  const std::string_view tail = text.substr(last + 1);
  return Advance(TextPosition{from.line, 1}, tail, tail.size());
}

TextPosition CallPosition::Get() const {
  return walker_.At(offset_);
}

}  // namespace tamro::compile
