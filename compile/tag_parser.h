// Reads the constructs of the text in order (blanks, comments, declarations and
// tags) from views that the caller makes longer whenever a construct is cut off,
// and hands each tag to the handler once it has been read in full.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "compile/tag_reader.h"
#include "compile/tag_scanner.h"
#include "compile/text_position.h"

namespace tamro::compile {

class TagParser {
 public:
  explicit TagParser(TagHandler& handler) : handler_(handler) {}

  struct Outcome {
    std::size_t consumed = 0;  // bytes read in full from the front of the text
    std::optional<TextError> error;
  };

  // Reads the whole constructs at the front of `text`, which begins where the
  // last call stopped. With `atEnd` (nothing follows `text`) it reads all of it
  // or fails; otherwise a construct cut off by the end of `text` is left for a
  // longer view.
  Outcome Read(std::string_view text, bool atEnd);

  // The position just after `text`, which begins where the last call stopped.
  TextPosition PositionAfter(std::string_view text) const {
    return Advance(start_, text, text.size());
  }

 private:
  ScanStep HandOn(const TagScanner& scanner, std::string_view text, std::size_t begin,
                  std::size_t end, PositionWalker& walker);
  Word ValueWord(std::string_view value, bool hasCr);

  TagHandler& handler_;
  TextPosition start_;
  ScannedTag tag_;     // kept, so that its attribute list is allocated once
  std::string value_;  // a value with its CRs removed
};

}  // namespace tamro::compile
