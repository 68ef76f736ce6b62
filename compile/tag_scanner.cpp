#include "compile/tag_scanner.h"

#include <algorithm>
#include <array>

#include "compile/byte_words.h"
#include "compile/messages.h"
#include "duib/placeholder.h"

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

// Where the next quotation mark or control character up to CR stands in `text`
// from `at`: the bytes a value's scan must look at. npos when there is none.
std::size_t NextValueStop(std::string_view text, std::size_t at) {
  const char* bytes = text.data();
  for (; text.size() - at >= 8; at += 8) {
    const std::uint64_t word = LoadWord(bytes + at);
    const std::uint64_t stops = BytesEqual(word, '"') | BytesBelow(word, '\r' + 1);
    if (stops != 0) return at + FirstMarked(stops);
  }
  for (; at < text.size(); ++at) {
    if (bytes[at] == '"' || static_cast<unsigned char>(bytes[at]) <= '\r') return at;
  }
  return std::string_view::npos;
}

// Where the name that goes on at `at` ends: at a byte of kEndsName or the end of
// `text`. Every such byte is below '?', so a word without one is passed whole.
std::size_t NameEnd(std::string_view text, std::size_t at) {
  const char* bytes = text.data();
  while (text.size() - at >= 8) {
    const std::uint64_t candidates = BytesBelow(LoadWord(bytes + at), '?');
    if (candidates == 0) {
      at += 8;
      continue;
    }
    at += FirstMarked(candidates);
    if (EndsName(bytes[at])) return at;
    ++at;
  }
  while (at < text.size() && !EndsName(bytes[at])) ++at;
  return at;
}

}  // namespace

// A view that ends before "<!--" is whole holds no complete tag either, so the
// tag's scan asks for more.
Markup TagScanner::Classify(std::size_t begin) const {
  const std::string_view rest = text_.substr(begin);
  if (rest.starts_with("<?")) return Markup::Declaration;
  if (rest.starts_with("<!--")) return Markup::Comment;
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
  tag.attributeCount = 0;
  if (at < size && text_[at] == '/') {
    tag.kind = TagKind::Close;
    ++at;
  }
  ScanStep step = Name(at, duib::NameKind::Element, tag.name);
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
      case '/': {
        const std::size_t greater = SkipCrs(at + 1);
        if (greater == size) return CutOff(at, message::kTagEnd);
        if (text_[greater] != '>') return ScanStep::Fault(at, message::kTagEnd);
        if (tag.kind == TagKind::Close) return ScanStep::Fault(at, message::kCloseTagEmpty);
        tag.kind = TagKind::Empty;
        tag.finished = true;
        tag.endAt = at;
        return ScanStep::Done(greater + 1);
      }
      case '<':
        return ScanStep::Fault(at, message::kTagEnd);
      case '=':
      case '"':
        return ScanStep::Fault(at, message::kAttributeName);
      default:
        break;
    }

    ScannedAttribute spare;
    ScannedAttribute& attribute =
        tag.attributeCount < kKeptAttributes ? tag.attributes.emplace_back() : spare;
    step = Attribute(at, attribute);
    if (step.result != ScanStep::Result::Done) return step;
    ++tag.attributeCount;
    at = step.at;
  }
}

ScanStep TagScanner::Attribute(std::size_t begin, ScannedAttribute& attribute) const {
  const std::size_t size = text_.size();
  ScanStep step = Name(begin, duib::NameKind::Attribute, attribute.name);
  if (step.result != ScanStep::Result::Done) return step;
  std::size_t at = SkipBlanks(attribute.name.end);
  if (at == size) return CutOff(at, message::kEquals);
  if (text_[at] != '=') return ScanStep::Fault(at, message::kEquals);
  at = SkipBlanks(at + 1);
  if (at == size) return CutOff(at, message::kValueQuote);
  if (text_[at] != '"') return ScanStep::Fault(at, message::kValueQuote);
  return Value(at, attribute);
}

void TagScanner::AttributeAfter(std::size_t at, ScannedAttribute& attribute) const {
  Attribute(SkipBlanks(at), attribute);
}

// A placeholder of the position's kind when the text there is exactly one,
// followed by what ends a name; an ordinary name otherwise. Done with an empty
// name when none stands there.
ScanStep TagScanner::Name(std::size_t begin, duib::NameKind kind, ScannedName& name) const {
  name.begin = begin;
  name.placeholder.reset();
  const std::string_view ahead = text_.substr(begin);
  const std::string_view placeholderPrefix = duib::PlaceholderPrefix(kind);
  const std::size_t length = duib::PlaceholderLength(kind);
  if (!ahead.empty() && ahead[0] == placeholderPrefix[0]) {
    if (ahead.size() <= length && !atEnd_) {
      // Too short to see the placeholder and what follows it: wait, unless what
      // is there already differs from the prefix. Read as an ordinary name, the
      // blanks inside a placeholder would make a fault of it.
      const std::size_t common = std::min(ahead.size(), placeholderPrefix.size());
      if (ahead.substr(0, common) == placeholderPrefix.substr(0, common)) {
        return ScanStep::NeedMore();
      }
    } else if (ahead.size() == length || (ahead.size() > length && EndsName(ahead[length]))) {
      name.placeholder = duib::ParsePlaceholder(ahead.substr(0, length), kind);
      if (name.placeholder) {
        name.end = begin + length;
        return ScanStep::Done(name.end);
      }
    }
  }
  const std::size_t at = NameEnd(text_, begin);
  if (at == text_.size() && !atEnd_) return ScanStep::NeedMore();
  if (at < text_.size() && text_[at] == '\0') {
    return ScanStep::Fault(at, message::kZeroCharacter);
  }
  // A name that opens as a placeholder but is not one is refused: read as a
  // string, its text would read back differently (blanks inside a placeholder
  // separate an ordinary name from an attribute).
  if (text_.substr(begin, at - begin).starts_with(placeholderPrefix)) {
    return ScanStep::Fault(begin, message::kMalformedPlaceholder);
  }
  name.end = at;
  return ScanStep::Done(at);
}

// A value ends at the first quotation mark followed by a blank, '>', "/>" (CRs
// between the two included) or the end of the input; any other quotation mark
// belongs to it.
ScanStep TagScanner::Value(std::size_t openingQuote, ScannedAttribute& attribute) const {
  const std::size_t size = text_.size();
  std::size_t zero = std::string_view::npos;
  attribute.valueHasCr = false;
  for (std::size_t at = openingQuote + 1;; ++at) {
    at = NextValueStop(text_, at);
    if (at == std::string_view::npos) return CutOff(openingQuote, message::kValueEnd);
    if (text_[at] == '\r') {
      attribute.valueHasCr = true;
      continue;
    }
    if (text_[at] == '\0') {
      zero = std::min(zero, at);
      continue;
    }
    if (text_[at] != '"') continue;
    bool closing = false;
    if (at + 1 == size) {
      if (!atEnd_) return ScanStep::NeedMore();
      closing = true;
    } else if (const char next = text_[at + 1]; IsBlank(next) || next == '>') {
      closing = true;
    } else if (next == '/') {
      const std::size_t greater = SkipCrs(at + 2);
      if (greater == size && !atEnd_) return ScanStep::NeedMore();
      closing = greater < size && text_[greater] == '>';
    }
    if (closing) {
      if (zero != std::string_view::npos) return ScanStep::Fault(zero, message::kZeroCharacter);
      attribute.valueBegin = openingQuote + 1;
      attribute.valueEnd = at;
      return ScanStep::Done(at + 1);
    }
  }
}

// CR carries no meaning in the text (a value drops it): "/" CR ">" ends a tag as
// "/>" does, so that a value is read back as it was written whatever CRs an
// editor left between its end and the tag's.
std::size_t TagScanner::SkipCrs(std::size_t at) const {
  while (at < text_.size() && text_[at] == '\r') ++at;
  return at;
}

std::size_t TagScanner::SkipBlanks(std::size_t at) const {
  while (at < text_.size() && IsBlank(text_[at])) ++at;
  return at;
}

}  // namespace tamro::compile
