// What the compiler makes of a text: the blob's items, strings and resid table,
// and the faults that only the compiler sees (the format's limits), each with its
// line and column.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "compile/compile_text.h"
#include "duib/blob_view.h"
#include "duib/layout.h"
#include "tests/compile/reader_support.h"
#include "tests/support/table_test.h"

namespace tamro {
namespace {

using duib::AttributeItem;
using duib::ElementItem;
using duib::ElementType;

constexpr std::uint16_t kElement = 0x8000;
constexpr std::uint16_t kDuixml = 0x8001;
constexpr std::uint16_t kResid = 0x8002;
constexpr std::uint16_t kStylesheets = 0x8005;
constexpr std::uint16_t kId = 0x8010;

compile::CompileOutcome Compile(const std::string& text) {
  compile::test::PieceSource source(text, 7);  // pieces that cut every token somewhere
  return compile::CompileText(source, compile::DecodePolicy{});
}

// The blob as lists: items, strings (as ASCII; empty for a kept index), resid.
struct Blob {
  std::vector<std::uint32_t> items;
  std::vector<std::string> strings;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> resid;  // value, element
  std::uint32_t elementCount = 0;
  friend bool operator==(const Blob&, const Blob&) = default;
};

Blob Read(std::span<const std::uint8_t> bytes) {
  duib::BlobView view;
  Blob blob;
  EXPECT_EQ(view.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size())), ConvertStatus::Ok);
  for (std::uint32_t k = 0; k < view.ItemCount(); ++k) blob.items.push_back(view.Item(k));
  for (std::uint32_t i = 0; i < view.StringCount(); ++i) {
    const std::uint32_t start = view.StringStart(i);
    std::string text;
    for (std::uint32_t u = 0; u < view.StringUnits(start); ++u) {
      text.push_back(static_cast<char>(view.Bytes().U16Unchecked(start + 2 * u)));
    }
    blob.strings.push_back(text);
  }
  for (std::uint32_t i = 0; i < view.ResidCount(); ++i) {
    blob.resid.emplace_back(view.Resid(i).valueId, view.Resid(i).elementIndex);
  }
  blob.elementCount = view.DeclaredElementCount();
  return blob;
}

constexpr std::uint32_t Open(std::uint16_t name, std::uint32_t attributes = 0) {
  return ElementItem(ElementType::Open, attributes, name);
}
constexpr std::uint32_t Empty(std::uint16_t name, std::uint32_t attributes = 0) {
  return ElementItem(ElementType::Empty, attributes, name);
}
constexpr std::uint32_t Close(std::uint16_t name, std::uint32_t attributes = 0) {
  return ElementItem(ElementType::Close, attributes, name);
}

struct BlobRow {
  const char* what;
  std::string text;
  Blob blob;
};

void CompilesTo(const BlobRow& row) {
  const compile::CompileOutcome outcome = Compile(row.text);
  ASSERT_EQ(outcome.kind, compile::CompileOutcome::Kind::Compiled) << outcome.error.message;
  EXPECT_EQ(Read(outcome.blob.span()), row.blob);
}

const test::Table<BlobRow> kBlobs(
    "BlobCompiler", CompilesTo,
    {{"built-in words become their IDs",
      "<duixml>\r\n\t<Element id=\"true\"/>\r\n</duixml>\r\n",
      {{Open(kDuixml), Empty(kElement, 1), AttributeItem(kId, 0x8003), Close(kDuixml)}, {}, {}, 3}},
     {"each string once, in the order of first use",
      "<b c=\"b\"/><c/>",
      {{Empty(0, 1), AttributeItem(1, 0), Empty(1)}, {"b", "c"}, {}, 2}},
     {"words are case-sensitive", "<element/>", {{Empty(0)}, {"element"}, {}, 1}},
     {"a placeholder of a string ID keeps that index empty",
      "<a x=\"UNKNOWN_VAL(   1)\"/><b/>",
      {{Empty(0, 1), AttributeItem(2, 1), Empty(3)}, {"a", "", "x", "b"}, {}, 2}},
     {"a placeholder past the strings leaves the table short",
      "<a x=\"UNKNOWN_VAL(  14)\"/>",
      {{Empty(0, 1), AttributeItem(1, 0x14)}, {"a", "x"}, {}, 1}},
     {"placeholders of built-in IDs and of names",
      "<UNKNOWN_ELEM(FFFF) UNKNOWN_ATTR(8030)=\"v\"/>",
      {{Empty(0xFFFF, 1), AttributeItem(0x8030, 0)}, {"v"}, {}, 1}},
     {"a resid attribute gets its entry",
      "<duixml><Element resid=\"main\"/></duixml>",
      {{Open(kDuixml), Empty(kElement, 1), AttributeItem(kResid, 0), Close(kDuixml)},
       {"main"},
       {{0, 1}},
       3}},
     {"none inside stylesheets, one on its close tag",
      "<stylesheets resid=\"a\"><x resid=\"b\"/></stylesheets resid=\"c\">",
      {{Open(kStylesheets, 1), AttributeItem(kResid, 0), Empty(1, 1), AttributeItem(kResid, 2),
        Close(kStylesheets, 1), AttributeItem(kResid, 3)},
       {"a", "x", "b", "c"},
       {{3, 2}},
       3}},
     {"after an empty stylesheets element, none at all",
      "<stylesheets/><x resid=\"b\"/>",
      {{Empty(kStylesheets), Empty(0, 1), AttributeItem(kResid, 1)}, {"x", "b"}, {}, 2}},
     {"two resid attributes with one value: two entries",
      "<x resid=\"v\" resid=\"v\"/>",
      {{Empty(0, 2), AttributeItem(kResid, 1), AttributeItem(kResid, 1)},
       {"x", "v"},
       {{1, 0}, {1, 0}},
       1}},
     {"two resid attributes that disagree: none",
      "<x resid=\"v\" resid=\"w\"/>",
      {{Empty(0, 2), AttributeItem(kResid, 1), AttributeItem(kResid, 2)}, {"x", "v", "w"}, {}, 1}},
     {"a resid placeholder value is the raw ID",
      "<x resid=\"UNKNOWN_VAL(  41)\"/>",
      {{Empty(0, 1), AttributeItem(kResid, 0x41)}, {"x"}, {{0x41, 0}}, 1}},
     {"an unfinished last tag says one attribute more than it has",
      "<a><b c=\"d\" ",
      {{Open(0), Open(1, 2), AttributeItem(2, 3)}, {"a", "b", "c", "d"}, {}, 2}},
     {"an unfinished close tag without attributes",
      "<a></a ",
      {{Open(0), Close(0, 1)}, {"a"}, {}, 2}},
     {"close tags need no open tag", "</a>", {{Close(0)}, {"a"}, {}, 1}},
     {"an empty value is a lone CR, which shows as empty",
      "<a b=\"\" c=\"\r\n\"/>",
      {{Empty(0, 2), AttributeItem(1, 2), AttributeItem(3, 4)},
       {"a", "b", "\r", "c", "\n"},
       {},
       1}},
     {"no tag at all", "  \r\n", {{}, {}, {}, 0}}});

struct FaultRow {
  const char* what;
  std::string text;
  std::uint64_t line;
  std::uint64_t column;
  const char* message;
};

void FailsAt(const FaultRow& row) {
  const compile::CompileOutcome outcome = Compile(row.text);
  ASSERT_EQ(outcome.kind, compile::CompileOutcome::Kind::Faulty);
  EXPECT_EQ(outcome.error.at.line, row.line);
  EXPECT_EQ(outcome.error.at.column, row.column);
  EXPECT_EQ(outcome.error.message, row.message);
}

std::string Attributes(int count) {
  std::string text = "<a";
  for (int i = 0; i < count; ++i) text += " n=\"v\"";
  return text;
}

std::string DistinctNames(int count, int from = 0) {
  std::string text;
  for (int i = from; i < from + count; ++i) text += "<n" + std::to_string(i) + "/>\n";
  return text;
}

const test::Table<FaultRow> kFaults(
    "BlobCompilerFaults", FailsAt,
    {{"4096 attributes", Attributes(4096) + "/>", 1, 3 + 6 * 4095 + 1,
      "an element holds at most 4095 attributes"},
     {"4095 attributes in an unfinished last tag", Attributes(4095) + " ", 1, 3 + 6 * 4095 + 1,
      "an element holds at most 4095 attributes"},
     {"32769 different names", DistinctNames(32769), 32769, 1,
      "more than 32768 different names and values, which IDs cannot name"},
     {"a kept index pushes the last string past 0x7FFF",
      "<n0 x=\"UNKNOWN_VAL(   5)\"/>\n" + DistinctNames(32766, 1), 32767, 1,
      "more than 32768 different names and values, which IDs cannot name"}});

TEST(BlobCompiler, At4095AttributesAndAt32768StringsAllIsWell) {
  EXPECT_EQ(Compile(Attributes(4095) + "/>").kind, compile::CompileOutcome::Kind::Compiled);
  const compile::CompileOutcome outcome = Compile(DistinctNames(32768));
  ASSERT_EQ(outcome.kind, compile::CompileOutcome::Kind::Compiled);
  EXPECT_EQ(Read(outcome.blob.span()).strings.back(), "n32767");
}

TEST(BlobCompiler, BinaryAndDuibInputIsNoText) {
  const std::string blob("duib\x05\0\0\0", 8);
  EXPECT_EQ(Compile(blob).kind, compile::CompileOutcome::Kind::NotText);
}

}  // namespace
}  // namespace tamro
