// Lines and columns, found by counting over the bytes between two positions that
// are asked for, never by bookkeeping per character while scanning. The text is
// valid UTF-8, so each byte that is no continuation byte begins one code point.
#pragma once

#include <cstddef>
#include <string_view>

#include "compile/byte_words.h"
#include "compile/tag_reader.h"

namespace tamro::compile {

// The position just after `text`, which crosses one or more line ends and
// begins at `from`: the line ends counted, the column from the last one, with
// no test per byte of what each byte is.
TextPosition AdvanceOverLines(TextPosition from, std::string_view text);

// The position just after `text`, which begins at `from`; `readable` bytes from
// its start may be read (at least its size). One pass eight bytes at a time for
// the usual stretch inside one line; when there is room, the last few bytes too.
inline TextPosition Advance(TextPosition from, std::string_view text, std::size_t readable) {
  const char* bytes = text.data();
  const std::size_t size = text.size();
  std::size_t continuations = 0;
  std::uint64_t lineEnds = 0;
  std::size_t at = 0;
  for (; size - at >= 8; at += 8) {
    const std::uint64_t word = LoadWord(bytes + at);
    lineEnds |= BytesEqual(word, '\n');
    continuations += ContinuationBytes(word);
  }
  if (at < size && readable - at >= 8) {
    const std::uint64_t word = FirstBytes(LoadWord(bytes + at), size - at);
    lineEnds |= BytesEqual(word, '\n');  // the bytes masked off are zero
    continuations += ContinuationBytes(word);
    at = size;
  }
  for (; at < size; ++at) {
    const auto c = static_cast<unsigned char>(bytes[at]);
    lineEnds |= c == '\n';
    continuations += (c & 0xC0) == 0x80;
  }
  if (lineEnds != 0) return AdvanceOverLines(from, text);
  return {from.line, from.column + size - continuations};
}

// Positions of offsets into one text, each counted on from the one before.
class PositionWalker {
 public:
  PositionWalker(std::string_view text, TextPosition start)
      : text_(text), start_(start), position_(start) {}

  // The position of text[offset]. Asked for offsets that never decrease, it
  // counts each byte once; one before the last is counted from the text's start.
  TextPosition At(std::size_t offset) {
    if (offset < offset_) {
      offset_ = 0;
      position_ = start_;
    }
    position_ = Advance(position_, text_.substr(offset_, offset - offset_), text_.size() - offset_);
    offset_ = offset;
    return position_;
  }

 private:
  std::string_view text_;
  TextPosition start_;
  std::size_t offset_ = 0;
  TextPosition position_;
};

}  // namespace tamro::compile
