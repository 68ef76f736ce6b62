#include "compile/tag_parser.h"

#include "compile/messages.h"
#include "duib/placeholder.h"

namespace tamro::compile {
namespace {

Word NameWord(std::string_view text, const ScannedName& name) {
  return {name.placeholder, text.substr(name.begin, name.end - name.begin)};
}

}  // namespace

TagParser::Outcome TagParser::Read(std::string_view text, bool atEnd) {
  const TagScanner scanner(text, atEnd);
  PositionWalker walker(text, start_);
  Outcome outcome;
  std::size_t at = 0;
  while (at < text.size()) {
    if (IsBlank(text[at])) {
      ++at;
      continue;
    }
    ScanStep step = ScanStep::Fault(at, message::kTextOutsideTag);
    if (text[at] == '<') {
      switch (scanner.Classify(at)) {
        case Markup::Comment:
          step = scanner.Comment(at);
          break;
        case Markup::Declaration:
          step = scanner.Declaration(at);
          break;
        case Markup::Tag:
          step = scanner.Tag(at, tag_);
          if (step.result == ScanStep::Result::Done) {
            step = HandOn(scanner, text, at, step.at, walker);
          }
          break;
      }
    }
    if (step.result == ScanStep::Result::NeedMore) break;
    if (step.result == ScanStep::Result::Fault) {
      outcome.error = TextError{walker.At(step.at), std::string(step.message)};
      break;
    }
    at = step.at;
  }
  outcome.consumed = at;
  start_ = walker.At(at);
  return outcome;
}

// Hands the tag just scanned, which ends at `end`, to the handler; a Fault at the
// call's place when the handler answers with a message.
ScanStep TagParser::HandOn(const TagScanner& scanner, std::string_view text, std::size_t begin,
                           std::size_t end, PositionWalker& walker) {
  std::string_view answer =
      handler_.OnTag(tag_.kind, NameWord(text, tag_.name), CallPosition(walker, begin));
  if (!answer.empty()) return ScanStep::Fault(begin, answer);
  ScannedAttribute spare;
  std::size_t after = tag_.name.end;
  for (std::size_t i = 0; i < tag_.attributeCount; ++i) {
    const bool kept = i < tag_.attributes.size();
    if (!kept) scanner.AttributeAfter(after, spare);
    const ScannedAttribute& attribute = kept ? tag_.attributes[i] : spare;
    after = attribute.valueEnd + 1;
    const std::size_t at = attribute.name.begin;
    const Word value =
        ValueWord(text.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin),
                  attribute.valueHasCr);
    answer = handler_.OnAttribute(NameWord(text, attribute.name), value, CallPosition(walker, at));
    if (!answer.empty()) return ScanStep::Fault(at, answer);
  }
  answer = handler_.OnTagEnd(tag_.finished, CallPosition(walker, tag_.endAt));
  if (!answer.empty()) return ScanStep::Fault(tag_.endAt, answer);
  return ScanStep::Done(end);
}

// The value with every CR removed: a line end in the file (CR LF, or a bare LF
// from an editor) is one LF in the value.
Word TagParser::ValueWord(std::string_view value, bool hasCr) {
  if (hasCr) {
    value_.clear();
    for (const char c : value) {
      if (c != '\r') value_.push_back(c);
    }
    value = value_;
  }
  return {duib::ParsePlaceholder(value, duib::NameKind::Value), value};
}

}  // namespace tamro::compile
