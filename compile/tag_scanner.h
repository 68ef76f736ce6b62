// The structure of one construct (tag, comment, declaration) in a view that holds
// it whole: where its names and values stand, nothing handed on yet. A construct
// cut off by the view's end asks for a longer view, unless nothing follows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "compile/tag_reader.h"
#include "duib/placeholder.h"

namespace tamro::compile {

struct ScanStep {
  enum class Result { Done, NeedMore, Fault };
  Result result = Result::Done;
  std::size_t at = 0;  // Done: just past the construct; Fault: where the fault is
  std::string_view message;

  static ScanStep Done(std::size_t end) { return {Result::Done, end, {}}; }
  static ScanStep NeedMore() { return {Result::NeedMore, 0, {}}; }
  static ScanStep Fault(std::size_t at, std::string_view message) {
    return {Result::Fault, at, message};
  }
};

struct ScannedName {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::optional<std::uint16_t> placeholder;
};

struct ScannedAttribute {
  ScannedName name;
  std::size_t valueBegin = 0;  // between the quotation marks
  std::size_t valueEnd = 0;
  bool valueHasCr = false;
};

// The attributes of a tag are kept up to kKeptAttributes, so that memory does not
// grow with a hostile tag of millions; the others are scanned again when the tag
// is handed on.
inline constexpr std::size_t kKeptAttributes = 64;

struct ScannedTag {
  TagKind kind = TagKind::Open;
  ScannedName name;
  std::vector<ScannedAttribute> attributes;  // the first ones, up to kKeptAttributes
  std::size_t attributeCount = 0;
  bool finished = true;
  std::size_t endAt = 0;  // the '>', the '/' of "/>", or the end of the input
};

enum class Markup { Tag, Comment, Declaration };

class TagScanner {
 public:
  // `atEnd`: nothing follows `text`.
  TagScanner(std::string_view text, bool atEnd) : text_(text), atEnd_(atEnd) {}

  // What the '<' at `begin` opens.
  Markup Classify(std::size_t begin) const;
  ScanStep Comment(std::size_t begin) const;
  ScanStep Declaration(std::size_t begin) const;
  ScanStep Tag(std::size_t begin, ScannedTag& tag) const;
  // The attribute after `at` (the end of the one before) in a tag that Tag()
  // found whole: one of those it did not keep.
  void AttributeAfter(std::size_t at, ScannedAttribute& attribute) const;

 private:
  ScanStep Attribute(std::size_t begin, ScannedAttribute& attribute) const;
  ScanStep Name(std::size_t begin, duib::NameKind kind, ScannedName& name) const;
  ScanStep Value(std::size_t openingQuote, ScannedAttribute& attribute) const;
  std::size_t SkipBlanks(std::size_t at) const;
  std::size_t SkipCrs(std::size_t at) const;
  ScanStep CutOff(std::size_t at, std::string_view message) const {
    return atEnd_ ? ScanStep::Fault(at, message) : ScanStep::NeedMore();
  }

  std::string_view text_;
  bool atEnd_;
};

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace tamro::compile
