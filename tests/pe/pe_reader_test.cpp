// The pe/ reader on valid PE32 and PE32+ modules: names, lookups, languages,
// enumeration order, the type/name-not-found distinction and the image as the
// loader maps it.
#include <gtest/gtest.h>

#include "platform/resource_module.h"
#include "tests/builders/pe_format.h"
#include "tests/pe/reader_test_support.h"

namespace tamro::test {
namespace {

constexpr auto kInvalidParameter = ResourceError::InvalidParameter;

class PeReaderTest : public ::testing::TestWithParam<PeFormat> {
 protected:
  PeBuilder Builder() const { return PeBuilder(GetParam()); }

  // UIFILE 1, 2, 40960, "ELEMENT" and "Mixed" plus RT_RCDATA 5 and a type "MUI".
  PeBuilder Typical() const {
    PeBuilder b = Builder();
    b.AddSection(".text", PeBytes("\xC3"));
    b.AddUifile(PeKey::Id(40960), PeBytes("uifile 40960"));
    b.AddUifile(PeKey::Id(2), PeBytes("uifile 2"));
    b.AddUifile(PeKey::Id(1), PeBytes("uifile 1"));
    b.AddUifile(PeKey::Text(u"Mixed"), PeBytes("uifile Mixed"));
    b.AddUifile(PeKey::Text(u"ELEMENT"), PeBytes("uifile ELEMENT"));
    b.Add(PeKey::Id(10), PeKey::Id(5), 0, PeBytes("rcdata 5"));
    b.Add(PeKey::Text(u"MUI"), PeKey::Id(1), 0, PeBytes("mui 1"));
    return b;
  }
};

INSTANTIATE_TEST_SUITE_P(Formats, PeReaderTest,
                         ::testing::Values(PeFormat::Pe32, PeFormat::Pe32Plus),
                         [](const auto& p) { return FormatName(p.param); });

TEST_P(PeReaderTest, ParsesBothFormats) {
  const ParsedImage image = ParseBuilt(Typical());
  ASSERT_NE(image.reader, nullptr);
  EXPECT_EQ(image.reader->IsPe32Plus(), GetParam() == PeFormat::Pe32Plus);
}

TEST_P(PeReaderTest, EnumeratesStringNamesThenIdsInDirectoryOrder) {
  const ParsedImage image = ParseBuilt(Typical());
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  EXPECT_EQ(NameTexts(names),
            (std::vector<std::wstring>{L"ELEMENT", L"Mixed", L"#1", L"#2", L"#40960"}));
}

TEST_P(PeReaderTest, EnumerationKeepsTheDirectorysOwnOrder) {
  PeBuilder b = Typical();
  b.sortEntries = false;  // the order of Add, string names first
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  EXPECT_EQ(NameTexts(names),
            (std::vector<std::wstring>{L"Mixed", L"ELEMENT", L"#40960", L"#2", L"#1"}));
  // An unsorted table is searched as the loader searches it, by halves: ids
  // 40960, 2, 1 find 2 in the middle, but never 1; "Mixed", "ELEMENT" miss ELEMENT.
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(2))), "uifile 2");
  EXPECT_EQ(image.reader->Find(L"UIFILE", Id(1)).lookup, DataLookup::NotFound);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Text(L"element")).lookup, DataLookup::NotFound);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(1)), kNameNotFound);
}

TEST_P(PeReaderTest, EnumerationAppendsToTheList) {
  const ParsedImage image = ParseBuilt(Typical());
  std::vector<EnumeratedName> names{EnumeratedName{false, 0, L"already"}};
  ASSERT_EQ(image.reader->EnumNames(L"#10", names), kOk);
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"already", L"#5"}));
}

struct Lookup {
  const wchar_t* type;
  NameKey name;
  const char* expected;  // the bytes, or nullptr for "not found"
};

TEST_P(PeReaderTest, FindsByIdAndByNameWithoutRegardToCase) {
  const ParsedImage image = ParseBuilt(Typical());
  const std::vector<Lookup> lookups = {
      {L"UIFILE", Id(1), "uifile 1"},
      {L"UIFILE", Id(2), "uifile 2"},
      {L"UIFILE", Id(40960), "uifile 40960"},
      {L"uifile", Id(1), "uifile 1"},
      {L"UiFiLe", Id(2), "uifile 2"},
      {L"UIFILE", Text(L"ELEMENT"), "uifile ELEMENT"},
      {L"UIFILE", Text(L"element"), "uifile ELEMENT"},
      {L"UIFILE", Text(L"mixed"), "uifile Mixed"},
      {L"UIFILE", Text(L"MIXED"), "uifile Mixed"},
      {L"UIFILE", Text(L"#1"), "uifile 1"},
      {L"UIFILE", Text(L"#00002"), "uifile 2"},
      {L"UIFILE", Text(L"#40960"), "uifile 40960"},
      {L"UIFILE", Text(L"# 40960"), "uifile 40960"},  // leading blanks skipped
      {L"UIFILE", Text(L"#2x"), "uifile 2"},          // digits up to the first other
      {L"UIFILE", Text(L"#+2"), "uifile 2"},          // a plus sign is read and dropped
      {L"UIFILE", Text(L"#1x0"), "uifile 1"},         // no digit read after the first other
      {L"#10", Id(5), "rcdata 5"},
      {L"#10", Text(L"#5"), "rcdata 5"},
      {L"mui", Id(1), "mui 1"},
      {L"UIFILE", Id(3), nullptr},
      {L"UIFILE", Text(L"1"), nullptr},  // a string "1" is not the id 1
      {L"UIFILE", Text(L"ELEMENTS"), nullptr},
      {L"UIFILE", Text(L"ELEMEN"), nullptr},
      {L"UIFILE", Text(L""), nullptr},
      {L"UIFILE", Text(L"#"), nullptr},  // id 0
      {L"UIFILE", Text(L"#70000"), nullptr},
      {L"UIFILE", Text(L"#-2"), nullptr},  // wraps past 0xFFFF: no id at all
      {L"RCDATA", Id(5), nullptr},         // a type string is not the predefined id
      {L"#11", Id(5), nullptr},
      {L"", Id(1), nullptr},
  };
  for (const Lookup& l : lookups) {
    SCOPED_TRACE(::testing::Message() << "type " << l.type << " name " << Describe(l.name));
    const ResourceData found = image.reader->Find(l.type, l.name);
    if (l.expected == nullptr) {
      EXPECT_EQ(found.lookup, DataLookup::NotFound);
      EXPECT_EQ(found.data, nullptr);
    } else {
      EXPECT_EQ(FoundText(image, found), l.expected);
    }
  }
}

struct Check {
  const wchar_t* type;
  NameKey name;
  ResourceError expected;
};

TEST_P(PeReaderTest, CheckNameTellsTypeFromNameNotFound) {
  const ParsedImage image = ParseBuilt(Typical());
  const std::vector<Check> checks = {
      {L"UIFILE", Id(1), kOk},
      {L"uifile", Text(L"Element"), kOk},
      {L"UIFILE", Text(L"#40960"), kOk},
      {L"UIFILE", Id(3), kNameNotFound},
      {L"UIFILE", Text(L"NOPE"), kNameNotFound},
      {L"UIFILE", Text(L"99999"), kNameNotFound},
      {L"UIFILE", Text(L"*"), kNameNotFound},
      {L"UIFILE", Text(L"#65535"), kNameNotFound},  // the largest id
      {L"UIFILE", Text(L"#65536"), kInvalidParameter},
      {L"UIFILE", Text(L"#70000"), kInvalidParameter},
      {L"UIFILES", Id(1), kTypeNotFound},
      {L"#23", Id(1), kTypeNotFound},
      {L"#65535", Id(1), kTypeNotFound},
      {L"#65536", Id(1), kInvalidParameter},
      {L"#70000", Id(1), kInvalidParameter},
      {L"#10", Id(5), kOk},
  };
  for (const Check& c : checks) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " name " << Describe(c.name));
    EXPECT_EQ(image.reader->CheckName(c.type, c.name), c.expected);
  }
  std::vector<EnumeratedName> names;
  EXPECT_EQ(image.reader->EnumNames(L"UIFILES", names), kTypeNotFound);
  EXPECT_TRUE(names.empty());
}

TEST_P(PeReaderTest, NoResourcesAtAllIsTypeNotFound) {
  PeBuilder b = Builder();
  b.AddSection(".text", PeBytes("\xC3"));
  const ParsedImage image = ParseBuilt(b);
  ASSERT_NE(image.reader, nullptr);
  std::vector<EnumeratedName> names;
  EXPECT_EQ(image.reader->EnumNames(L"UIFILE", names), kTypeNotFound);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(1)), kTypeNotFound);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Id(1)).lookup, DataLookup::NotFound);
}

TEST_P(PeReaderTest, OtherTypesButNoUifileIsTypeNotFound) {
  PeBuilder b = Builder();
  b.Add(PeKey::Id(16), PeKey::Id(1), 0x409, PeBytes("version"));
  b.Add(PeKey::Text(u"UIFILEX"), PeKey::Id(1), 0, PeBytes("x"));
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  EXPECT_EQ(image.reader->EnumNames(L"UIFILE", names), kTypeNotFound);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(1)), kTypeNotFound);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Id(1)).lookup, DataLookup::NotFound);
}

struct LanguageCase {
  const char* label;
  std::vector<std::uint16_t> languages;  // in directory order
  std::uint16_t chosen;
};

TEST_P(PeReaderTest, ChoosesTheLanguageAsTheLoaderDoes) {
  const std::vector<LanguageCase> cases = {
      {"only one", {0x407}, 0x407},
      {"neutral first", {0x409, 0x407, 0x000, 0x400, 0x800}, 0x000},
      {"user default next", {0x409, 0x407, 0x800, 0x400}, 0x400},
      {"system default next", {0x409, 0x407, 0x800}, 0x800},
      {"en-US next", {0x407, 0x409, 0x40C}, 0x409},
      {"else the first listed", {0x40C, 0x407, 0x411}, 0x407},
      {"sub-language neutral is no neutral", {0x411, 0x009}, 0x009},
  };
  for (const LanguageCase& c : cases) {
    SCOPED_TRACE(c.label);
    PeBuilder b = Builder();  // languages sorted, as resource compilers list them
    for (std::uint16_t language : c.languages) {
      b.AddUifile(PeKey::Id(7), PeBytes("lang " + std::to_string(language)), language);
    }
    const ParsedImage image = ParseBuilt(b);
    EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(7))),
              "lang " + std::to_string(c.chosen));
    EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(7)), kOk);
    std::vector<EnumeratedName> names;
    ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
    EXPECT_EQ(names.size(), 1u);  // one name, however many languages
  }
}

TEST_P(PeReaderTest, MapsThroughAllSectionsNotByName) {
  PeBuilder b = Builder();
  b.AddSection(".text", PeBytes("\xC3"));
  b.AddSection(".rsrc", PeBytes("a decoy that is no resource directory"));
  b.resourceSectionName = ".data";
  b.dataInOwnSection = true;  // data entries point into yet another section
  b.AddUifile(PeKey::Id(1), PeBytes("in its own section"));
  b.AddUifile(PeKey::Text(u"TWO"), PeBytes("second"));
  const ParsedImage image = ParseBuilt(b);
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(1))), "in its own section");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"two"))), "second");
}

TEST_P(PeReaderTest, ZeroFilledTailOfTheSectionReadsAsZeros) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Id(1), PeBytes("bytes"));
  PeLayout layout;
  (void)b.Build(&layout);
  // The section's VirtualSize ends inside the data (the last bytes of the tree):
  // the loader maps zeros past it.
  b.faults.resourceVirtualSize = static_cast<std::uint32_t>(layout.resourceSize - 4);
  const ParsedImage image = ParseBuilt(b);
  ASSERT_NE(image.reader, nullptr);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(1)), kOk);
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(1))), std::string("b\0\0\0\0", 5));
  // A VirtualSize beyond the raw data changes nothing for the bytes in the file.
  b.faults.resourceVirtualSize = 0x10000;
  const ParsedImage larger = ParseBuilt(b);
  EXPECT_EQ(FoundText(larger, larger.reader->Find(L"UIFILE", Id(1))), "bytes");
  // Data that starts in the tail: zeros, though the file has the tree's bytes there.
  b.faults.resourceVirtualSize = static_cast<std::uint32_t>(layout.resourceSize - 4);
  b.faults.dataRva = static_cast<std::uint32_t>(layout.resourceRva + layout.resourceSize - 3);
  const ParsedImage inTail = ParseBuilt(b);
  EXPECT_EQ(FoundText(inTail, inTail.reader->Find(L"UIFILE", Id(1))), std::string(5, '\0'));
  // The headers' tail: SizeOfHeaders reaches past the end of the file, which
  // ends 2 bytes into the data.
  PeBuilder headers = Builder();
  headers.AddUifile(PeKey::Id(1), PeBytes("bytes"));
  headers.faults.sizeOfHeaders = pe_format::kSectionAlignment;
  headers.faults.overlay = PeBytes("ov");
  headers.faults.dataRva = static_cast<std::uint32_t>(layout.fileSize);
  ASSERT_LT(layout.fileSize + 5, pe_format::kSectionAlignment);
  const ParsedImage shortFile = ParseBuilt(headers);
  ASSERT_NE(shortFile.reader, nullptr);
  EXPECT_EQ(FoundText(shortFile, shortFile.reader->Find(L"UIFILE", Id(1))),
            std::string("ov\0\0\0", 5));
}

TEST_P(PeReaderTest, EmptyResourceIsFoundWithSizeZero) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Id(1), {});
  b.AddUifile(PeKey::Id(2), PeBytes("x"));
  const ParsedImage image = ParseBuilt(b);
  const ResourceData found = image.reader->Find(L"UIFILE", Id(1));
  EXPECT_EQ(found.lookup, DataLookup::Found);
  EXPECT_EQ(found.size, 0u);
}

TEST_P(PeReaderTest, RawDataIsReadFromItsOffsetRoundedDownAsTheLoaderRoundsIt) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Id(1), PeBytes("rounded"));
  for (const std::uint32_t delta : {0x1F0u, 0x1FFu, 0x001u}) {  // still the aligned offset
    b.faults.rawDataOffsetDelta = delta;
    const ParsedImage image = ParseBuilt(b);
    ASSERT_NE(image.reader, nullptr);
    EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(1))), "rounded") << delta;
  }
}

TEST_P(PeReaderTest, EnumeratedStringNamesKeepTheirIdentity) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Text(u"#23"), PeBytes("the string #23"));
  b.AddUifile(PeKey::Text(u"#77"), PeBytes("the string #77"));
  b.AddUifile(PeKey::Id(23), PeBytes("the id 23"));
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  ASSERT_EQ(NameTexts(names), (std::vector<std::wstring>{L"#23", L"#77", L"#23"}));
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", names[0])), "the string #23");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", names[1])), "the string #77");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", names[2])), "the id 23");
  // Typed on the command line, "#23" is the id.
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"#23"))), "the id 23");
  EXPECT_EQ(image.reader->Find(L"UIFILE", Text(L"#77")).lookup, DataLookup::NotFound);
}

TEST_P(PeReaderTest, AStringNameEndsAtItsFirstNul) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Text(std::u16string(u"AB\0CD", 5)), PeBytes("with a nul"));
  b.AddUifile(PeKey::Text(u"AB"), PeBytes("plain AB"));
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  // Handed over as the API hands it over; looked up by that text, the loader
  // compares the stored length too and finds only the plain "AB".
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"AB", L"AB"}));
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", names[0])), "plain AB");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Stored(std::wstring(L"AB\0CD", 5)))),
            "plain AB");
  // Stored first, "AB\0CD" is the first compared: "AB" is greater (the lengths
  // differ), and the search goes on to find it after.
  b.sortEntries = false;
  const ParsedImage unsorted = ParseBuilt(b);
  EXPECT_EQ(FoundText(unsorted, unsorted.reader->Find(L"UIFILE", Text(L"AB"))), "plain AB");
}

TEST_P(PeReaderTest, IdZeroIsEnumeratedAsAnIdAndFoundAgain) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Id(0), PeBytes("zero"));
  b.AddUifile(PeKey::Id(1), PeBytes("one"));
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"#0", L"#1"}));
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", names[0])), "zero");
}

TEST_P(PeReaderTest, StringNamesAreDecodedFromUtf16) {
  PeBuilder b = Builder();
  b.AddUifile(PeKey::Text(u"\u00C4rger"), PeBytes("latin"));
  b.AddUifile(PeKey::Text(u"\U0001F600smile"), PeBytes("pair"));
  b.AddUifile(PeKey::Text(std::u16string(u"x\xD800y")), PeBytes("lone"));
  b.AddUifile(PeKey::Text(u"end\uFFFF"), PeBytes("last bmp"));
  b.AddUifile(PeKey::Text(u"AZ"), PeBytes("the first and last letter"));
  b.AddUifile(PeKey::Text(u"\u00C0\u00DE\u00F7\u0178"), PeBytes("latin edges"));
  b.AddUifile(PeKey::Text(u"\U00010000\U0010FFFF"), PeBytes("first and last pair"));
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  const std::vector<std::wstring> texts = NameTexts(names);
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"\U0001F600smile"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"\U00010000\U0010FFFF"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), std::wstring{L'x', wchar_t(0xD800), L'y'}),
            texts.end());
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"az"))),
            "the first and last letter");
  // Latin-1 letters fold too: U+00E0 to U+00FE but U+00F7, and U+00FF to U+0178.
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"\u00E0\u00FE\u00F7\u00FF"))),
            "latin edges");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"\u00E4RGER"))), "latin");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"\U0001F600SMILE"))), "pair");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"END\uFFFF"))), "last bmp");
  for (const EnumeratedName& name : names) {
    EXPECT_EQ(image.reader->Find(L"UIFILE", name).lookup, DataLookup::Found);
  }
}

TEST_P(PeReaderTest, EveryEnumeratedNameIsFoundWithItsOwnBytes) {
  PeBuilder b = Builder();
  for (std::uint16_t id = 1; id <= 40; ++id) {
    b.AddUifile(PeKey::Id(static_cast<std::uint16_t>(id * 7)),
                PeBytes("id " + std::to_string(id * 7)));
    b.AddUifile(PeKey::Text(u"N" + std::u16string(1, char16_t(u'A' + id % 26)) +
                            std::u16string(1, char16_t(u'0' + id % 10)) + char16_t(u'a' + id / 10)),
                PeBytes("text " + std::to_string(id)));
  }
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  ASSERT_EQ(names.size(), 80u);
  for (const EnumeratedName& name : names) {
    EXPECT_EQ(image.reader->CheckName(L"UIFILE", name), kOk);
    const std::string text = FoundText(image, image.reader->Find(L"UIFILE", name));
    if (name.isId) {
      EXPECT_EQ(text, "id " + std::to_string(name.id));
    } else {
      EXPECT_EQ(text.rfind("text ", 0), 0u);
    }
  }
}

}  // namespace
}  // namespace tamro::test
