// ReadTags on whole texts: the forms it accepts with the calls they give, the
// positions of those calls, and the faults it reports. Every row is also read in
// pieces of every size, which must change nothing: that is what finds a construct
// or a character lost or doubled where a piece ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/compile/reader_support.h"
#include "tests/support/case_name.h"

namespace tamro::compile::test {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// Runs of tiny pieces between large ones, so that a carry holds bytes of several
// pieces and then of one it takes only in part.
std::vector<std::size_t> MixedSizes(std::uint32_t seed) {
  std::vector<std::size_t> sizes;
  for (int i = 0; i < 64; ++i) {
    seed = seed * 1103515245u + 12345u;
    sizes.push_back(i % 32 == 31 ? 500 + (seed >> 8) % 4000 : 1 + (seed >> 8) % 3);
  }
  return sizes;
}

::testing::AssertionResult SameInEveryPieceSize(const std::string& bytes, DecodePolicy policy) {
  const std::string whole = ReadInPieces(bytes, bytes.size() + 1, policy).Summary();
  const auto differs = [&](const std::vector<std::size_t>& sizes) {
    const std::string pieces = ReadInPieces(bytes, sizes, policy).Summary();
    if (pieces == whole) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pieces of " << ::testing::PrintToString(sizes) << " bytes give\n"
           << pieces << "\ninstead of\n"
           << whole;
  };
  for (std::size_t size = 1; size <= bytes.size(); ++size) {
    if (auto result = differs({size}); !result) return result;
  }
  for (std::uint32_t seed = 1; seed <= 16; ++seed) {
    if (auto result = differs(MixedSizes(seed)); !result) return result;
  }
  return ::testing::AssertionSuccess();
}

std::string Repeated(std::string_view part, int times, std::string_view separator = "") {
  std::string text;
  for (int i = 0; i < times; ++i) text += std::string(i ? separator : "") + std::string(part);
  return text;
}

const std::string kLongValue(3000, 'v');

// A tag of more attributes than the reader keeps while it scans one; the last
// ones are placeholders, one with a line end in its value.
std::string ManyAttributes(bool events) {
  std::string text = events ? "empty:a" : "<a";
  for (int i = 0; i < 100; ++i) {
    const std::string n = std::to_string(i);
    text += events ? "|n" + n + "=" + n : "\r\n n" + n + "=\"" + n + "\"";
  }
  return text + (events
                     ? "|#FFFF=#0|#0=x\ny|>"
                     : " UNKNOWN_ATTR(FFFF)=\"UNKNOWN_VAL(   0)\" UNKNOWN_ATTR(   0)=\"x\r\ny\"/>");
}

struct FormCase {
  const char* what;
  std::string bytes;
  DecodePolicy policy;
  std::string events;
};

const FormCase kForms[] = {
    {"tamro's own text", "<duixml>\r\n\t<Element resid=\"main\" layout=\"x\"/>\r\n</duixml>\r\n",
     kUtf8Policy, "open:duixml|>|empty:Element|resid=main|layout=x|>|close:duixml|>"},
    {"attributes on a close tag", "</a b=\"c\">", kUtf8Policy, "close:a|b=c|>"},
    {"placeholders of each kind", "<UNKNOWN_ELEM(   5) UNKNOWN_ATTR(FFFF)=\"UNKNOWN_VAL(  41)\"/>",
     kUtf8Policy, "empty:#5|#FFFF=#41|>"},
    {"placeholders at the ends of the range",
     "<UNKNOWN_ELEM(   0) UNKNOWN_ATTR(   0)=\"UNKNOWN_VAL(FFFF)\"></UNKNOWN_ELEM(FFFF)>",
     kUtf8Policy, "open:#0|#0=#FFFF|>|close:#FFFF|>"},
    {"near misses in values and in a name of the other kind are ordinary",
     "<a UNKNOWN_ELEM(FFFF)=\"UNKNOWN_ATTR(FFFF)\" b=\"UNKNOWN_VAL(10000)\" "
     "c=\"UNKNOWN_VAL(  0A)\" d=\"UNKNOWN_VAL(  4a)\" e=\"UNKNOWN_VAL(    )\" "
     "f=\"UNKNOWN_VAL(FFFF)x\"/>",
     kUtf8Policy,
     "empty:a|UNKNOWN_ELEM(FFFF)=UNKNOWN_ATTR(FFFF)|b=UNKNOWN_VAL(10000)|"
     "c=UNKNOWN_VAL(  0A)|d=UNKNOWN_VAL(  4a)|e=UNKNOWN_VAL(    )|f=UNKNOWN_VAL(FFFF)x|>"},
    {"values holding markup and quotation marks",
     R"(<a b="x>y" c="p/>q" d=""x" e="a"b" f="<&/>" g="x"/y" h="x/"/>)", kUtf8Policy,
     R"(empty:a|b=x>y|c=p/>q|d="x|e=a"b|f=<&/>|g=x"/y|h=x/|>)"},
    {"empty value", R"(<a b=""/>)", kUtf8Policy, "empty:a|b=|>"},
    // A value drops its CRs, so "/" CR ">" after a quotation mark ends it as "/>"
    // does: read back, the value must not end anywhere else.
    {"CRs inside the end of an empty tag", "<a b=\"c\"/\r>\r\n<d e=\"f\"/\r\r>", kUtf8Policy,
     "empty:a|b=c|>|empty:d|e=f|>"},
    {"line ends in values", "<a b=\"1\r\n2\" c=\"3\n4\" d=\"5\r6\" e=\"\r\n\"/>", kUtf8Policy,
     "empty:a|b=1\n2|c=3\n4|d=56|e=\n|>"},
    {"re-indented, LF line ends, blanks around '='",
     "<duixml>\n    <Element\n        resid = \"main\"\n\tlayout=\n\"x\" />\n</duixml>\n",
     kUtf8Policy, "open:duixml|>|empty:Element|resid=main|layout=x|>|close:duixml|>"},
    {"all on one line", R"(<duixml><Element resid="main"/></duixml>)", kUtf8Policy,
     "open:duixml|>|empty:Element|resid=main|>|close:duixml|>"},
    {"declaration and comments",
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- <a> -- b -->\r\n<a/><!----><?x?>\r\n",
     kUtf8Policy, "empty:a|>"},
    {"empty input", "", kUtf8Policy, ""},
    {"nothing but blanks", " \r\n\t\r", kUtf8Policy, ""},
    {"unfinished last tag", "<duixml>\r\n\t<Element a=\"b\" ", kUtf8Policy,
     "open:duixml|>|open:Element|a=b|..."},
    {"unfinished tag with its name only", "<Element ", kUtf8Policy, "open:Element|..."},
    {"unfinished tag without a blank", "<Element", kUtf8Policy, "open:Element|..."},
    {"unfinished close tag, value ending the input", "</a b=\"c\"", kUtf8Policy, "close:a|b=c|..."},
    {"unfinished tag of a placeholder", "<UNKNOWN_ELEM(   5)", kUtf8Policy, "open:#5|..."},
    {"characters beyond ASCII", "<é b=\"ü😀\"/>", kUtf8Policy, "empty:é|b=ü😀|>"},
    {"UTF-8 byte-order mark", "\xEF\xBB\xBF<a/>", kUtf8Policy, "empty:a|>"},
    {"UTF-8 byte-order mark alone", "\xEF\xBB\xBF", kLatin1Policy, ""},
    {"UTF-16LE byte-order mark alone", Utf16Le(u""), kUtf8Policy, ""},
    {"UTF-16BE byte-order mark alone", Utf16Be(u""), kUtf8Policy, ""},
    {"UTF-16LE", Utf16Le(u"<a b=\"é😀\r\n\"/>\r\n"), kUtf8Policy, "empty:a|b=é😀\n|>"},
    {"UTF-16BE", Utf16Be(u"<UNKNOWN_ELEM(  41)/>"), kUtf8Policy, "empty:#41|>"},
    {"UTF-16 byte-order mark despite a legacy decoder", Utf16Le(u"<é/>"), kLatin1Policy,
     "empty:é|>"},
    {"legacy decoder for text that is not UTF-8", "<a b=\"caf\xE9\"/>", kLatin1Policy,
     "empty:a|b=café|>"},
    {"UTF-8 beyond ASCII despite a legacy decoder", "<a b=\"caf\xC3\xA9\"/>", kLatin1Policy,
     "empty:a|b=café|>"},
    {"one invalid sequence sends the whole text to the legacy decoder",
     "<a b=\"\xC3\xA9\"/>\n<c d=\"\xE9\"/>", kLatin1Policy, "empty:a|b=Ã©|>|empty:c|d=é|>"},
    {"long value", "<a b=\"" + kLongValue + "\"/>", kUtf8Policy, "empty:a|b=" + kLongValue + "|>"},
    {"long comment", "<!--" + kLongValue + "-->\r\n<a/>", kUtf8Policy, "empty:a|>"},
    {"many short tags", Repeated("\t<a b=\"c\"/>\r\n", 200), kUtf8Policy,
     Repeated("empty:a|b=c|>", 200, "|")},
    {"more attributes than are kept", ManyAttributes(false), kUtf8Policy, ManyAttributes(true)},
    {"a long value between short tags",
     Repeated("<x/>\r\n", 5) + "<a b=\"" + kLongValue + "\"/>" + Repeated("\r\n<y/>", 200),
     kUtf8Policy,
     Repeated("empty:x|>", 5, "|") + "|empty:a|b=" + kLongValue + "|>|" +
         Repeated("empty:y|>", 200, "|")},
};

// The reading of a text that must be accepted, given as one piece.
Reading ReadAccepted(const std::string& bytes, DecodePolicy policy) {
  Reading reading = ReadInPieces(bytes, bytes.size() + 1, policy);
  EXPECT_FALSE(reading.error) << reading.Summary();
  return reading;
}

class AcceptedForm : public ::testing::TestWithParam<FormCase> {};

TEST_P(AcceptedForm, GivesItsCalls) {
  const FormCase& row = GetParam();
  EXPECT_EQ(ReadAccepted(row.bytes, row.policy).events, row.events);
  EXPECT_TRUE(SameInEveryPieceSize(row.bytes, row.policy));
}

INSTANTIATE_TEST_SUITE_P(Rows, AcceptedForm, ::testing::ValuesIn(kForms),
                         ::tamro::test::CaseNamer{});

struct PositionCase {
  const char* what;
  std::string bytes;
  DecodePolicy policy;
  const char* positions;  // of each call, in order
};

const PositionCase kPositions[] = {
    {"tamro's own text", "<duixml>\r\n\t<Element resid=\"main\" layout=\"x\"/>\r\n</duixml>\r\n",
     kUtf8Policy, "1:1 1:8 2:2 2:11 2:24 2:34 3:1 3:9"},
    {"a character beyond ASCII is one column", "<é b=\"ü😀\" c=\"x\"/>", kUtf8Policy,
     "1:1 1:4 1:11 1:16"},
    {"a UTF-16 surrogate pair is one column", Utf16Le(u"<a b=\"😀\" c=\"\"/>"), kUtf8Policy,
     "1:1 1:4 1:10 1:14"},
    {"a legacy character is one column", "<a b=\"\xE9\xE9\" c=\"\"/>", kLatin1Policy,
     "1:1 1:4 1:11 1:15"},
    {"line ends inside values", "<a b=\"1\r\n22\" c=\"\n\"\r\n/>", kUtf8Policy, "1:1 1:4 2:5 4:1"},
    {"a lone CR is no line end", "<a\r b=\"x\"/>", kUtf8Policy, "1:1 1:5 1:10"},
    {"an unfinished tag ends at the end of the input", "<a>\r\n<b c=\"d\" \r\n", kUtf8Policy,
     "1:1 1:3 2:1 2:4 3:1"},
    {"after a declaration and a comment", "<?x?><!-- é\n--><a/>", kUtf8Policy, "2:4 2:6"},
};

class CallPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(CallPosition, IsWhereTheCallsTextBegins) {
  const PositionCase& row = GetParam();
  EXPECT_EQ(ReadAccepted(row.bytes, row.policy).positions, row.positions);
}

INSTANTIATE_TEST_SUITE_P(Rows, CallPosition, ::testing::ValuesIn(kPositions),
                         ::tamro::test::CaseNamer{});

struct FaultCase {
  const char* what;
  std::string bytes;
  DecodePolicy policy;
  std::uint64_t line;
  std::uint64_t column;
  const char* message;
};

constexpr const char* kMalformed =
    "malformed placeholder (four places, blanks then upper-case hex digits)";

const FaultCase kFaults[] = {
    {"text before the first tag", "x<a/>", kUtf8Policy, 1, 1, "text outside a tag"},
    {"text between tags on the 2nd line", "<a>\r\n  hello\r\n</a>", kUtf8Policy, 2, 3,
     "text outside a tag"},
    {"text after a character beyond ASCII", "<a b=\"é\">x", kUtf8Policy, 1, 10,
     "text outside a tag"},
    {"a stray '>'", "<a/>>", kUtf8Policy, 1, 5, "text outside a tag"},
    {"zero character between tags", "<a/>\0"s, kUtf8Policy, 1, 5, "text outside a tag"},
    {"blank after '<'", "< a>", kUtf8Policy, 1, 2, "element name expected"},
    {"tag opening at the end", "<a/>\r\n<", kUtf8Policy, 2, 2, "element name expected"},
    {"empty close tag", "</>", kUtf8Policy, 1, 3, "element name expected"},
    {"equals sign without a name", "<a =\"x\">", kUtf8Policy, 1, 4, "attribute name expected"},
    {"quotation mark after the element name", "<a\"x\">", kUtf8Policy, 1, 3,
     "attribute name expected"},
    {"attribute without a value", "<a b>", kUtf8Policy, 1, 5, "'=' expected after attribute name"},
    {"attribute name at the end", "<a b", kUtf8Policy, 1, 5, "'=' expected after attribute name"},
    {"two names in a row", "<a b c=\"d\">", kUtf8Policy, 1, 6, "'=' expected after attribute name"},
    {"near miss of a placeholder holding blanks", "<UNKNOWN_ELEM(  0A)/>", kUtf8Policy, 1, 2,
     kMalformed},
    {"placeholder followed by more of a name", "<UNKNOWN_ELEM(FFFF)x/>", kUtf8Policy, 1, 2,
     kMalformed},
    {"leading zero in a placeholder", "<UNKNOWN_ELEM(0041)/>", kUtf8Policy, 1, 2, kMalformed},
    {"placeholder's start at the end", "<a/><UNKNOWN_ELEM(", kUtf8Policy, 1, 6, kMalformed},
    {"placeholder with an extra blank", "<a>\n<UNKNOWN_ELEM(  FFF)=\"b\"/>", kUtf8Policy, 2, 2,
     kMalformed},
    {"attribute placeholder in lower case", "<a UNKNOWN_ATTR(   a)=\"b\"/>", kUtf8Policy, 1, 4,
     kMalformed},
    {"value without quotation marks", "<a b=c>", kUtf8Policy, 1, 6,
     "attribute value must be in quotation marks"},
    {"equals sign at the end", "<a b = ", kUtf8Policy, 1, 8,
     "attribute value must be in quotation marks"},
    {"value running to the end", "<a>\r\n<b c=\"d>\r\n</a>", kUtf8Policy, 2, 6,
     "attribute value has no closing quotation mark"},
    {"quotation mark followed by a name at the end", "<a b=\"x\"y", kUtf8Policy, 1, 6,
     "attribute value has no closing quotation mark"},
    {"slash not before '>'", "<a /x>", kUtf8Policy, 1, 4, "'>' expected"},
    {"tag opening inside a tag", "<a\r\n<b/>", kUtf8Policy, 2, 1, "'>' expected"},
    {"slash at the end", "<a/", kUtf8Policy, 1, 3, "'>' expected"},
    {"close tag ending in '/>'", "</a b=\"c\"/>", kUtf8Policy, 1, 10,
     "close tag cannot end with '/>'"},
    {"comment to the end", "<a/>\r\n<!-- x -- >", kUtf8Policy, 2, 1, "comment has no end"},
    {"declaration to the end", "<?xml version=\"1.0\"", kUtf8Policy, 1, 1,
     "declaration has no end"},
    {"zero in an element name", "<a\0b/>"s, kUtf8Policy, 1, 3, "character U+0000 cannot be stored"},
    {"zero after a placeholder", "<UNKNOWN_ELEM(   5)\0/>"s, kUtf8Policy, 1, 20,
     "character U+0000 cannot be stored"},
    {"zero in an attribute name", "<a \0b=\"c\"/>"s, kUtf8Policy, 1, 4,
     "character U+0000 cannot be stored"},
    {"zero in a value", "<a b=\"x\0\"/>"s, kUtf8Policy, 1, 8, "character U+0000 cannot be stored"},
    {"zero unit in a UTF-16 value", Utf16Le(u"<a>\r\n<b c=\"\0\"/>"sv), kUtf8Policy, 2, 7,
     "character U+0000 cannot be stored"},
    {"fault after a long value", "<a b=\"" + kLongValue + "\" =\"c\"/>", kUtf8Policy, 1, 3009,
     "attribute name expected"},
    {"byte that begins no character", "<a b=\"\xFF\"/>", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"continuation byte alone", "<a b=\"\x80\"/>", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"overlong two-byte form", "<a b=\"\xC0\x80\"/>", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"overlong three-byte form", "<a b=\"\xE0\x9F\xBF\"/>", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"encoded surrogate", "<a b=\"\xED\xA0\x80\"/>", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"beyond U+10FFFF", "<a b=\"\xF4\x90\x80\x80\"/>", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"character cut by the end", "<a b=\"\xE2\x82", kUtf8Policy, 1, 7, "invalid UTF-8"},
    {"invalid after a character beyond ASCII on line 3", "<a>\r\n<b/>\r\n<c d=\"é\xE9\"/>",
     kUtf8Policy, 3, 8, "invalid UTF-8"},
    {"lone low surrogate", Utf16Le(u"<a b=\"\xDC00\"/>"), kUtf8Policy, 1, 7, "invalid UTF-16"},
    {"high surrogate before another unit", Utf16Be(u"<a>\r\n<b c=\"\xD800x\"/>"), kUtf8Policy, 2, 7,
     "invalid UTF-16"},
    {"high surrogate at the end", Utf16Le(u"<a b=\"\xD800"), kUtf8Policy, 1, 7, "invalid UTF-16"},
    {"odd final byte", Utf16Le(u"<a/>") + "x", kUtf8Policy, 1, 5, "invalid UTF-16"},
    {"byte the code page lacks", "<a>\r\n<b c=\"x\x81y\"/>", kRefusingPolicy, 2, 8,
     "character not valid in the text's code page"},
    {"lacking byte after accepted bytes beyond ASCII", "<a b=\"\xE9\xE9\x81\"/>", kRefusingPolicy,
     1, 9, "character not valid in the text's code page"},
    {"lacking byte on line 3 of one piece", "<a>\n<b/>\n<c d=\"\x81\"/>\n</a>\n", kRefusingPolicy,
     3, 7, "character not valid in the text's code page"},
    {"lacking byte first", "\x81<a/>", kRefusingPolicy, 1, 1,
     "character not valid in the text's code page"},
    {"lacking byte last, after one beyond ASCII", "<a b=\"\xE9\x81", kRefusingPolicy, 1, 8,
     "character not valid in the text's code page"},
};

class Fault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Fault, IsReportedWhereItIs) {
  const FaultCase& row = GetParam();
  const Reading reading = ReadInPieces(row.bytes, row.bytes.size() + 1, row.policy);
  ASSERT_TRUE(reading.error) << reading.Summary();
  EXPECT_EQ(reading.error->message, row.message);
  EXPECT_EQ(reading.error->at, (TextPosition{row.line, row.column}))
      << reading.error->at.line << ":" << reading.error->at.column;
  EXPECT_TRUE(SameInEveryPieceSize(row.bytes, row.policy));
}

INSTANTIATE_TEST_SUITE_P(Rows, Fault, ::testing::ValuesIn(kFaults), ::tamro::test::CaseNamer{});

// The handler's answer stops the reading at the place of its call: nothing is
// handed on after it.
TEST(HandlerAnswer, StopsTheReadingAtItsCall) {
  const std::string text = "<duixml>\r\n\t<Element resid=\"main\"/>\r\n</duixml>\r\n <x ";
  const Reading all = ReadInPieces(text, text.size());
  const auto calls =
      static_cast<int>(std::count(all.positions.begin(), all.positions.end(), ' ')) + 1;
  std::string positions;
  for (int call = 0; call < calls; ++call) {
    const std::size_t next = all.positions.find(' ', positions.size() + 1);
    positions = all.positions.substr(0, next);
    const Reading stopped = ReadInPieces(text, 5, {}, call);
    ASSERT_TRUE(stopped.error) << "call " << call;
    EXPECT_EQ(stopped.error->message, "stop");
    EXPECT_EQ(stopped.positions, positions) << "call " << call;
    EXPECT_EQ(
        positions.substr(positions.rfind(' ') + 1),
        std::to_string(stopped.error->at.line) + ":" + std::to_string(stopped.error->at.column));
  }
  EXPECT_EQ(positions, all.positions);
}

}  // namespace
}  // namespace tamro::compile::test
