#include "compile/tag_scanner.h"

#include <array>

#include "compile/messages.h"
#include "compile/placeholder.h"

namespace tamro::compile {
namespace {

using namespace std::string_view_literals;

// The bytes that end a name, and the zero character, which no name may hold.
constexpr std::array<bool, 256> kEndsName = [] {
  std::array<bool, 256> ends{};
  for (const unsigned char c : " \t\r\n=<>/\""sv) ends[c] = true;
  ends[0] = true;
  return ends;
}();

bool EndsName(char c) {
  return kEndsName[static_cast<unsigned char>(c)];
}

}  // namespace

Markup TagScanner::Classify(std::size_t begin) const {
  const std::string_view rest = text_.substr(begin);
  if (rest.size() < 2) return atEnd_ ? Markup::Tag : Markup::Unknown;
  if (rest[1] == '?') return Markup::Declaration;
  if (rest.starts_with("<!--")) return Markup::Comment;
  if (!atEnd_ && rest.size() < 4 && "<!--"sv.starts_with(rest)) return Markup::Unknown;
  return Markup::Tag;
}

ScanStep TagScanner::Comment(std::size_t begin) const {
  const std::size_t end = text_.find("-->", begin + 4);
  if (end == std::string_view::npos) return CutOff(begin, message::kCommentEnd);
  return ScanStep::Done(end + 3);
}

ScanStep TagScanner::Declaration(std::size_t begin) const {
  const std::size_t end = text_.find("?>", begin + 2);
  if (end == std::string_view::npos) return CutOff(begin, message::kDeclarationEnd);
  return ScanStep::Done(end + 2);
}

ScanStep TagScanner::Tag(std::size_t begin, ScannedTag& tag) const {
  const std::size_t size = text_.size();
  std::size_t at = begin + 1;
  tag.kind = TagKind::Open;
  tag.attributes.clear();
  if (at < size && text_[at] == '/') {
    tag.kind = TagKind::Close;
    ++at;
  }
  ScanStep step = Name(at, kElementPlaceholder, tag.name);
  if (step.result != ScanStep::Result::Done) return step;
  if (tag.name.end == at) return ScanStep::Fault(at, message::kElementName);
  at = tag.name.end;

  for (;;) {
    at = SkipBlanks(at);
    if (at == size) {
      // The unfinished last tag: a complete name or attribute, then only blanks.
      if (!atEnd_) return ScanStep::NeedMore();
      tag.finished = false;
      tag.endAt = size;
      return ScanStep::Done(size);
    }
    switch (text_[at]) {
      case '>':
        tag.finished = true;
        tag.endAt = at;
        return ScanStep::Done(at + 1);
      case '/':
        if (at + 1 == size) return CutOff(at, message::kTagEnd);
        if (text_[at + 1] != '>') return ScanStep::Fault(at, message::kTagEnd);
        if (tag.kind == TagKind::Close) return ScanStep::Fault(at, message::kCloseTagEmpty);
        tag.kind = TagKind::Empty;
        tag.finished = true;
        tag.endAt = at;
        return ScanStep::Done(at + 2);
      case '<':
        return ScanStep::Fault(at, message::kTagEnd);
      case '=':
      case '"':
        return ScanStep::Fault(at, message::kAttributeName);
      default:
        break;
    }

    ScannedAttribute& attribute = tag.attributes.emplace_back();
    step = Name(at, kAttributePlaceholder, attribute.name);
    if (step.result != ScanStep::Result::Done) return step;
    at = SkipBlanks(attribute.name.end);
    if (at == size) return CutOff(at, message::kEquals);
    if (text_[at] != '=') return ScanStep::Fault(at, message::kEquals);
    at = SkipBlanks(at + 1);
    if (at == size) return CutOff(at, message::kValueQuote);
    if (text_[at] != '"') return ScanStep::Fault(at, message::kValueQuote);
    step = ValueEnd(at);
    if (step.result != ScanStep::Result::Done) return step;
    attribute.valueBegin = at + 1;
    attribute.valueEnd = step.at;
    const std::size_t zero = text_.substr(0, step.at).find('\0', at + 1);
    if (zero != std::string_view::npos) return ScanStep::Fault(zero, message::kZeroCharacter);
    at = step.at + 1;
  }
}

// A placeholder of the position's kind when the text there is exactly one,
// followed by what ends a name; an ordinary name otherwise. Done with an empty
// name when none stands there.
ScanStep TagScanner::Name(std::size_t begin, std::string_view placeholderPrefix,
                          ScannedName& name) const {
  const std::string_view ahead = text_.substr(begin);
  const std::size_t length = PlaceholderLength(placeholderPrefix);
  name.begin = begin;
  name.placeholder.reset();
  if (ahead.size() <= length) {
    // Too short to see the placeholder and what follows it: wait, unless what is
    // there already differs from the prefix.
    const std::size_t common = std::min(ahead.size(), placeholderPrefix.size());
    if (!atEnd_ && ahead.substr(0, common) == placeholderPrefix.substr(0, common)) {
      return ScanStep::NeedMore();
    }
  }
  if (ahead.size() >= length && (ahead.size() == length || EndsName(ahead[length]))) {
    name.placeholder = ParsePlaceholder(ahead.substr(0, length), placeholderPrefix);
    if (name.placeholder) {
      name.end = begin + length;
      return ScanStep::Done(name.end);
    }
  }
  std::size_t at = begin;
  while (at < text_.size() && !EndsName(text_[at])) ++at;
  if (at == text_.size() && !atEnd_) return ScanStep::NeedMore();
  if (at < text_.size() && text_[at] == '\0') {
    return ScanStep::Fault(at, message::kZeroCharacter);
  }
  name.end = at;
  return ScanStep::Done(at);
}

// A value ends at the first quotation mark followed by a blank, '>', "/>" or the
// end of the input; any other quotation mark belongs to it.
ScanStep TagScanner::ValueEnd(std::size_t openingQuote) const {
  const std::size_t size = text_.size();
  for (std::size_t at = openingQuote + 1;; ++at) {
    at = text_.find('"', at);
    if (at == std::string_view::npos) return CutOff(openingQuote, message::kValueEnd);
    if (at + 1 == size) return atEnd_ ? ScanStep::Done(at) : ScanStep::NeedMore();
    const char next = text_[at + 1];
    if (IsBlank(next) || next == '>') return ScanStep::Done(at);
    if (next == '/') {
      if (at + 2 == size && !atEnd_) return ScanStep::NeedMore();
      if (at + 2 < size && text_[at + 2] == '>') return ScanStep::Done(at);
    }
  }
}

std::size_t TagScanner::SkipBlanks(std::size_t at) const {
  while (at < text_.size() && IsBlank(text_[at])) ++at;
  return at;
}

}  // namespace tamro::compile
