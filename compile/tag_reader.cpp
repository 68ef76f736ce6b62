#include "compile/tag_reader.h"

#include "compile/encoding_choice.h"
#include "compile/tag_parser.h"
#include "compile/text_pieces.h"
#include "compile/text_window.h"

namespace tamro::compile {

std::optional<TextError> ReadTags(ByteSource& source, const DecodePolicy& policy,
                                  TagHandler& handler) {
  TextPieces pieces(source, policy, ChooseEncoding(source, policy));
  TextWindow window(pieces);
  TagParser parser(handler);
  bool atEnd = false;
  for (;;) {
    const std::string_view text = window.View();
    TagParser::Outcome outcome = parser.Read(text, atEnd);
    if (outcome.error) return std::move(outcome.error);
    if (atEnd) return std::nullopt;
    window.Consume(outcome.consumed);
    // Back in a piece that holds more than was read: read on without copying.
    if (window.View().size() > text.size() - outcome.consumed) continue;
    if (!window.Extend()) {
      if (!pieces.error().empty()) {
        return TextError{parser.PositionAfter(window.View()), std::string(pieces.error())};
      }
      atEnd = true;
    }
  }
}

}  // namespace tamro::compile
