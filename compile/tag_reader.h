// Reads the tags of a text as tamro writes it (or as an editor left it) and hands
// them one by one to a handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compile/byte_source.h"
#include "compile/text_decoder.h"

namespace tamro::compile {

// Line and column of a character, both from 1. A line ends at each LF; a column
// counts the code points (a TAB is one) since the line's start.
struct TextPosition {
  std::uint64_t line = 1;
  std::uint64_t column = 1;

  friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

struct TextError {
  TextPosition at;
  std::string message;  // lower-case English, no final period, never holds input bytes
};

enum class TagKind { Open, Empty, Close };  // <a ...>, <a .../>, </a ...>

// A name or a value as written: a placeholder stands for the raw ID it shows (its
// `text` is then the placeholder as written); anything else is text, in UTF-8,
// valid only during the call (values with every CR removed).
struct Word {
  std::optional<std::uint16_t> placeholder;
  std::string_view text;
};

class PositionWalker;

// Where a call's text begins, counted in lines and columns only when asked for
// (during the call): a handler that needs no position costs the reader no count.
class CallPosition {
 public:
  CallPosition(PositionWalker& walker, std::size_t offset) : walker_(walker), offset_(offset) {}
  TextPosition Get() const;

 private:
  PositionWalker& walker_;
  std::size_t offset_;
};

// Receives the tags in text order. A non-empty return stops the reading with that
// message as a TextError at the position of the call's `at`. A tag is handed on
// only once it has been read in full without fault, so a fault in a tag's text is
// reported before any call for that tag.
class TagHandler {
 public:
  // `at` is the position of the tag's '<'.
  virtual std::string_view OnTag(TagKind kind, const Word& name, const CallPosition& at) = 0;
  // `at` is the position of the attribute's name.
  virtual std::string_view OnAttribute(const Word& name, const Word& value,
                                       const CallPosition& at) = 0;
  // After the tag's last attribute. `finished` is false for an unfinished last tag
  // at the end of the input (`at` is then the end of the input, and the kind was
  // given as Open, or Close for "</"); otherwise `at` is the '>' or the '/' of "/>".
  virtual std::string_view OnTagEnd(bool finished, const CallPosition& at) = 0;

 protected:
  ~TagHandler() = default;
};

// True when the input looks like text: false when, unless a UTF-16 byte-order
// mark says otherwise, a zero byte stands among its first 8000 bytes (binary data,
// a DUIB blob given by mistake). Reads only that far; rewinds the source.
bool LooksLikeText(ByteSource& source);

// Reads the whole input: decodes it by `policy`, then hands each tag and attribute
// to `handler`. nullopt when everything was read; otherwise the first error.
std::optional<TextError> ReadTags(ByteSource& source, const DecodePolicy& policy,
                                  TagHandler& handler);

}  // namespace tamro::compile
