// The rendering phase: exact text, placeholders, indentation, the resid
// cross-check and the final status. Its limits are in render_limits_test.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/duib_convert.h"
#include "tests/builders/duib_builder.h"
#include "tests/engine/engine_support.h"
#include "tests/support/case_name.h"
#include "tests/support/same_bytes.h"

namespace tamro {
namespace {

using test::AttributeItem;
using test::DuibBuilder;
using test::ElementItem;
using test::Render;
using test::Rendered;
namespace b = test::builtin;

struct RenderCase {
  const char* what;
  std::function<void(DuibBuilder&)> build;
  ConvertStatus status;
  const char* text;
  std::uint32_t unknown;
  bool residFailed;
};

const RenderCase kRenderCases[] = {
    {"worked example",
     [](DuibBuilder& d) {
       const auto main = d.String(u"main");
       d.Open(b::duixml).Empty(b::Element, {{b::resid, main}}).Close(b::duixml);
       d.Resid(main, 1);
     },
     ConvertStatus::Ok, "<duixml>\r\n\t<Element resid=\"main\"/>\r\n</duixml>\r\n", 0, false},
    {"empty stream, declared 0", [](DuibBuilder&) {}, ConvertStatus::Ok, "", 0, false},
    {"empty stream with an unmatched resid entry", [](DuibBuilder& d) { d.Resid(0, 0); },
     ConvertStatus::Warnings, "", 0, true},
    {"any nonzero resid flag reads the resid section",
     [](DuibBuilder& d) {
       d.Resid(0, 0);
       d.residFlag = 0x80000000;
     },
     ConvertStatus::Warnings, "", 0, true},
    {"declared count one too high",
     [](DuibBuilder& d) {
       d.Empty(b::Element);
       d.elementCount = 2;
     },
     ConvertStatus::ElementCount, "<Element/>\r\n", 0, false},
    {"declared count one too low",
     [](DuibBuilder& d) {
       d.Empty(b::Element).Empty(b::Element);
       d.elementCount = 1;
     },
     ConvertStatus::ElementCount, "<Element/>\r\n<Element/>\r\n", 0, false},
    {"element name beyond the string table",
     [](DuibBuilder& d) {
       for (char16_t c = u'a'; c < u'f'; ++c) d.String(std::u16string(1, c));
       d.Empty(5);
     },
     ConvertStatus::Warnings, "<UNKNOWN_ELEM(   5)/>\r\n", 1, false},
    {"unknown built-ins by kind",
     [](DuibBuilder& d) {
       d.Empty(0xFFFF, {{0xFFFF, 0xFFFF}, {0x802D, 0x8040}});
     },
     ConvertStatus::Warnings,
     "<UNKNOWN_ELEM(FFFF) UNKNOWN_ATTR(FFFF)=\"UNKNOWN_VAL(FFFF)\" "
     "UNKNOWN_ATTR(802D)=\"UNKNOWN_VAL(8040)\"/>\r\n",
     5, false},
    {"empty string value is unknown",
     [](DuibBuilder& d) {
       const auto empty = d.String(u"");
       d.Empty(b::Element, {{b::id, empty}});
     },
     ConvertStatus::Warnings, "<Element id=\"UNKNOWN_VAL(   0)\"/>\r\n", 1, false},
    {"unknown open and close names count twice",
     [](DuibBuilder& d) { d.Open(0x4142).Close(0x4142); }, ConvertStatus::Warnings,
     "<UNKNOWN_ELEM(4142)>\r\n</UNKNOWN_ELEM(4142)>\r\n", 2, false},
    {"indentation by depth",
     [](DuibBuilder& d) {
       d.Open(b::duixml).Open(b::Element).Empty(b::style).Close(b::Element).Close(b::duixml);
     },
     ConvertStatus::Ok, "<duixml>\r\n\t<Element>\r\n\t\t<style/>\r\n\t</Element>\r\n</duixml>\r\n",
     0, false},
    {"close without open goes below depth 0 without indentation",
     [](DuibBuilder& d) { d.Close(b::Element).Empty(b::style).Open(b::duixml).Empty(b::id); },
     ConvertStatus::Ok, "</Element>\r\n<style/>\r\n<duixml>\r\n<id/>\r\n", 0, false},
    {"element types 3 to 15 render like open without raising the depth",
     [](DuibBuilder& d) {
       d.Item(ElementItem(3, 0, b::duixml));
       d.Item(ElementItem(15, 1, b::Element)).Item(AttributeItem(b::id, b::True));
       d.Empty(b::style);
       d.elementCount = 3;
     },
     ConvertStatus::Ok, "<duixml>\r\n<Element id=\"true\">\r\n<style/>\r\n", 0, false},
    {"close item with attributes",
     [](DuibBuilder& d) {
       d.Open(b::duixml).Close(b::duixml, {{b::width, b::none}});
     },
     ConvertStatus::Ok, "<duixml>\r\n</duixml width=\"none\">\r\n", 0, false},
    {"stream ends inside an element's attributes",
     [](DuibBuilder& d) {
       d.Item(ElementItem(1, 3, b::Element)).Item(AttributeItem(b::id, b::True));
       d.elementCount = 1;
     },
     ConvertStatus::Ok, "<Element id=\"true\" ", 0, false},
    {"stream ends one attribute short",
     [](DuibBuilder& d) {
       d.Item(ElementItem(1, 2, b::Element)).Item(AttributeItem(b::id, b::True));
       d.elementCount = 1;
     },
     ConvertStatus::Ok, "<Element id=\"true\" ", 0, false},
    {"values are not escaped",
     [](DuibBuilder& d) {
       const auto odd = d.String(u"a\"<b>&c");
       d.Empty(b::Element, {{b::content, odd}});
     },
     ConvertStatus::Ok, "<Element content=\"a\"<b>&c\"/>\r\n", 0, false},
    {"string names are plain text, not the built-in roles",
     [](DuibBuilder& d) {
       const auto sheets = d.String(u"stylesheets");
       const auto resid = d.String(u"resid");
       d.Open(sheets).Empty(b::Element, {{resid, sheets}}).Close(sheets);
       d.Resid(1, 1);
     },
     ConvertStatus::Warnings,
     "<stylesheets>\r\n\t<Element resid=\"stylesheets\"/>\r\n</stylesheets>\r\n", 0, true},
    {"resid inside stylesheets is not checked; on its close item it is",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Open(b::stylesheets, {{b::resid, x}});
       d.Empty(b::Element, {{b::resid, x}});
       d.Close(b::stylesheets, {{b::resid, x}});
       d.Resid(x, 0).Resid(x, 1).Resid(x, 2);
     },
     ConvertStatus::Warnings,
     "<stylesheets resid=\"x\">\r\n\t<Element resid=\"x\"/>\r\n</stylesheets resid=\"x\">\r\n", 0,
     true},
    {"an empty stylesheets element turns the check off for good",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Empty(b::stylesheets).Empty(b::Element, {{b::resid, x}});
       d.Resid(x, 1);
     },
     ConvertStatus::Warnings, "<stylesheets/>\r\n<Element resid=\"x\"/>\r\n", 0, true},
    {"resid value differs from its entry",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       const auto y = d.String(u"y");
       d.Empty(b::Element, {{b::resid, x}});
       d.Resid(y, 0);
     },
     ConvertStatus::Warnings, "<Element resid=\"x\"/>\r\n", 0, true},
    {"resid entry value needs its upper 16 bits clear",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Empty(b::Element, {{b::resid, x}});
       d.Resid(0x10000u | x, 0);
     },
     ConvertStatus::Warnings, "<Element resid=\"x\"/>\r\n", 0, true},
    {"two entries for one element: only the first matches",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Empty(b::Element, {{b::resid, x}});
       d.Resid(x, 0).Resid(x, 0);
     },
     ConvertStatus::Warnings, "<Element resid=\"x\"/>\r\n", 0, true},
    {"a close item ends stylesheets: resid after it is checked and matches",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Open(b::duixml).Open(b::stylesheets).Close(b::stylesheets);
       d.Empty(b::Element, {{b::resid, x}}).Close(b::duixml);
       d.Resid(x, 3);
     },
     ConvertStatus::Ok,
     "<duixml>\r\n\t<stylesheets>\r\n\t</stylesheets>\r\n\t<Element resid=\"x\"/>\r\n</duixml>\r\n",
     0, false},
    {"two checks against one entry count twice",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Empty(b::Element, {{b::resid, x}, {b::resid, x}});
       d.Resid(x, 0);
     },
     ConvertStatus::Warnings, "<Element resid=\"x\" resid=\"x\"/>\r\n", 0, true},
    {"the first of two differing entries is the one compared",
     [](DuibBuilder& d) {
       // Two resid attributes make two checks, so the count matches both entries.
       const auto x = d.String(u"x");
       const auto y = d.String(u"y");
       d.Empty(b::Element, {{b::resid, x}, {b::resid, x}});
       d.Resid(x, 0).Resid(y, 0);
     },
     ConvertStatus::Ok, "<Element resid=\"x\" resid=\"x\"/>\r\n", 0, false},
    {"resid attribute without an entry is no failure",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       d.Open(b::duixml).Empty(b::Element, {{b::resid, x}}).Close(b::duixml, {{b::resid, x}});
       d.Resid(x, 2);
     },
     ConvertStatus::Ok, "<duixml>\r\n\t<Element resid=\"x\"/>\r\n</duixml resid=\"x\">\r\n", 0,
     false},
    {"resid attribute on an element past the highest entry's",
     [](DuibBuilder& d) {
       // Element 1 lies past the resid table's index: its check must not read a
       // slot past the table's end. ASan reports such a read; the default build
       // notices it only when the stray bytes there are not zero.
       const auto x = d.String(u"x");
       d.Empty(b::Element, {{b::resid, x}}).Empty(b::Element, {{b::resid, x}});
       d.Resid(x, 0);
     },
     ConvertStatus::Ok, "<Element resid=\"x\"/>\r\n<Element resid=\"x\"/>\r\n", 0, false},
    {"resid entries for indexes past the stream stay unmatched",
     [](DuibBuilder& d) {
       d.Empty(b::Element);
       d.Resid(0, 0xFFFFFFFF);
     },
     ConvertStatus::Warnings, "<Element/>\r\n", 0, true},
    {"three elements, each with its own entry",
     [](DuibBuilder& d) {
       const auto x = d.String(u"x");
       const auto y = d.String(u"y");
       d.Empty(b::Element, {{b::resid, x}}).Empty(b::Element, {{b::resid, y}});
       d.Empty(b::Element, {{b::resid, x}});
       d.Resid(x, 0).Resid(y, 1).Resid(x, 2);
     },
     ConvertStatus::Ok,
     "<Element resid=\"x\"/>\r\n<Element resid=\"y\"/>\r\n<Element resid=\"x\"/>\r\n", 0, false},
    {"entries for the stream's last item and for the index just past it",
     [](DuibBuilder& d) {
       // Two items, so the index has two slots: the entry for index 2 has none.
       const auto x = d.String(u"x");
       d.Empty(b::Element, {{b::resid, x}});
       d.Resid(x, 0).Resid(x, 1).Resid(x, 2);
     },
     ConvertStatus::Warnings, "<Element resid=\"x\"/>\r\n", 0, true},
    {"an entry just past the table's count is no entry",
     [](DuibBuilder& d) {
       // The section holds two entries but counts one: element 0's entry lies past
       // the table, so element 0 is not checked and the one match is all there is.
       const auto x = d.String(u"x");
       d.Empty(b::Element, {{b::resid, x}}).Empty(b::Element, {{b::resid, x}});
       d.Resid(x, 1).Resid(x, 0);
       d.residCount = 1;
     },
     ConvertStatus::Ok, "<Element resid=\"x\"/>\r\n<Element resid=\"x\"/>\r\n", 0, false},
    {"table entries sharing a start",
     [](DuibBuilder& d) {
       d.AddRawString(u"same");
       d.AddStringOffset(8 + 4 * 2);  // string 1 starts where string 0 does
       d.Empty(b::Element, {{b::id, 0}, {b::content, 1}, {b::id, 1}});
     },
     ConvertStatus::Ok, "<Element id=\"same\" content=\"same\" id=\"same\"/>\r\n", 0, false},
    {"strings on both byte grids",
     [](DuibBuilder& d) {
       // String 1 starts one byte into string 0: "a\0b\0\0\0" read from its second byte.
       d.AddRawString(u"ab");
       d.AddStringOffset(8 + 4 * 2 + 1);
       d.Empty(b::Element, {{b::id, 0}, {b::content, 1}});
     },
     ConvertStatus::Ok, "<Element id=\"ab\" content=\"{6200}\"/>\r\n", 0, false},
    {"a string at an odd offset",
     [](DuibBuilder& d) {
       d.oddStringAlignment = true;
       const auto v = d.String(u"odd");
       d.Empty(b::Element, {{b::id, v}});
     },
     ConvertStatus::Ok, "<Element id=\"odd\"/>\r\n", 0, false},
    {"string ID 0x7FFF names string 32767",
     [](DuibBuilder& d) {
       for (int i = 0; i < 0x8000; ++i) d.AddRawString(i == 0x7FFF ? u"last" : u"s");
       d.Empty(b::Element, {{b::id, 0x7FFF}, {b::class_, 0x8000}});
     },
     ConvertStatus::Ok, "<Element id=\"last\" class=\"Element\"/>\r\n", 0, false},
};

void PrintTo(const RenderCase& row, std::ostream* os) {
  *os << row.what;
}

class RenderTest : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RenderTest, RendersTheExpectedText) {
  const RenderCase& c = GetParam();
  DuibBuilder builder;
  c.build(builder);
  const Rendered r = Render(builder);
  EXPECT_EQ(r.status, c.status) << std::hex << r.status;
  EXPECT_SAME_BYTES(r.text, c.text);
  EXPECT_EQ(r.unknown, c.unknown);
  EXPECT_EQ(r.residFailed, c.residFailed);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderTest, ::testing::ValuesIn(kRenderCases), test::CaseNamer());

TEST(Render, AttributeCountOf4095) {
  DuibBuilder d;
  d.Item(ElementItem(1, 4095, b::Element));
  for (int i = 0; i < 4095; ++i) d.Item(AttributeItem(b::id, b::True));
  d.elementCount = 1;
  const Rendered r = Render(d);
  ASSERT_EQ(r.status, ConvertStatus::Ok);
  std::string expected = "<Element";
  for (int i = 0; i < 4095; ++i) expected += " id=\"true\"";
  expected += "/>\r\n";
  EXPECT_SAME_BYTES(r.text, expected);
}

// The encoder gets each string whole, as its code units, and the line-end rule is
// applied to what it gives back.
TEST(Render, EachStringGoesToTheEncoderWholeAndGetsCrLfLineEnds) {
  DuibBuilder d;
  const auto pair = d.String(u"a\U0001F600b\xD800z");  // a pair, then an unpaired high half
  const auto lines = d.String(u"\r\na\rb\nc\n\r");
  d.Empty(b::Element, {{b::id, pair}, {b::content, lines}});
  const Rendered r = Render(d);
  ASSERT_EQ(r.status, ConvertStatus::Ok);
  EXPECT_EQ(r.text, "<Element id=\"a{D83D}{DE00}b{D800}z\" content=\"\r\nab\r\nc\r\n\"/>\r\n");
}

}  // namespace
}  // namespace tamro
