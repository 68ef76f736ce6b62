// Lines and columns, found by counting over the bytes between two positions that
// are asked for, never by bookkeeping per character while scanning. The text is
// valid UTF-8, so each byte that is no continuation byte begins one code point.
#pragma once

#include <cstddef>
#include <string_view>

#include "compile/tag_reader.h"

namespace tamro::compile {

// The position just after `text`, which begins at `from`.
TextPosition Advance(TextPosition from, std::string_view text);

// Positions of offsets into one text, each counted on from the one before.
class PositionWalker {
 public:
  PositionWalker(std::string_view text, TextPosition start) : text_(text), position_(start) {}

  // The position of text[offset]; the offsets asked for never decrease.
  TextPosition At(std::size_t offset) {
    position_ = Advance(position_, text_.substr(offset_, offset - offset_));
    offset_ = offset;
    return position_;
  }

 private:
  std::string_view text_;
  std::size_t offset_ = 0;
  TextPosition position_;
};

}  // namespace tamro::compile
