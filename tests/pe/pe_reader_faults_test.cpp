// Every malformation of the PE builder gives the loader's answer: not an image,
// type or name not found, a read outside the image (kNoAccess), or a failed
// load; never a crash or a read outside the file (the asan build runs these too).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/pe/fault_cases.h"
#include "tests/pe/reader_test_support.h"

namespace tamro::test {
namespace {

// Cases for the reader alone: what the Windows loader makes of these is not
// known well enough for the differential test, which runs FaultCases().
const std::vector<FaultCase>& ReaderOnlyCases() {
  static const std::vector<FaultCase> cases = {
      // Without sections, which would be read from the directories' bytes.
      {"optional header ending where its data directories begin",
       [](PeBuilder& b, PeFormat f) {
         b.faults.sizeOfOptionalHeader = f == PeFormat::Pe32 ? 96 : 112;
         b.faults.numberOfSections = 0;
       },
       kTypeNotFound, kTypeNotFound, kNotFound, kTypeNotFound, kNotFound},
      {"optional header ending inside the resource directory entry",
       [](PeBuilder& b, PeFormat f) {
         b.faults.sizeOfOptionalHeader = (f == PeFormat::Pe32 ? 96 : 112) + 2 * 8 + 4;
         b.faults.numberOfSections = 0;
       },
       kTypeNotFound, kTypeNotFound, kNotFound, kTypeNotFound, kNotFound},
      // SizeOfImage cuts the resource section to its root's header.
      {"SizeOfImage 16 bytes into the resource section",
       [](PeBuilder& b, PeFormat f) {
         PeLayout layout;
         (void)BaseModule(f).Build(&layout);
         b.faults.sizeOfImage = layout.resourceRva + 16;
       },
       kNoAccess, kNoAccess, kLoadFailed, kNoAccess, kLoadFailed},
      {"SectionAlignment 0xFFF", [](PeBuilder& b, PeFormat) { b.faults.sectionAlignment = 0xFFF; },
       kNotAnImage},
      // One is a power of two: sections then extend exactly as far as they say.
      {"SectionAlignment 1", [](PeBuilder& b, PeFormat) { b.faults.sectionAlignment = 1; }},
      // Zero passes the power-of-two test; it must be refused before anything aligns by it.
      {"SectionAlignment 0", [](PeBuilder& b, PeFormat) { b.faults.sectionAlignment = 0; },
       kNotAnImage},
      {"resource section ending exactly at 4 GiB",
       [](PeBuilder& b, PeFormat f) {
         PeLayout layout;
         (void)BaseModule(f).Build(&layout);
         b.faults.resourceVirtualSize = 0u - layout.resourceRva;
       }},
      {"resource section ending a page past 4 GiB",
       [](PeBuilder& b, PeFormat f) {
         PeLayout layout;
         (void)BaseModule(f).Build(&layout);
         b.faults.resourceVirtualSize = 0u - layout.resourceRva + 0x1000;
       },
       kNotAnImage},
      // Mapped over SizeOfRawData, as the loader maps it.
      {"resource section with VirtualSize 0",
       [](PeBuilder& b, PeFormat) { b.faults.resourceVirtualSize = 0; }},
      // Nothing is read from it: its offset is not checked.
      {"section without raw data whose raw data offset lies past the file end",
       [](PeBuilder& b, PeFormat) {
         b.AddSection(".bss", {});
         b.faults.emptySectionRawOffset = 0xFFFFF000u;
       }},
      {"UIFILE name table without entries",
       [](PeBuilder& b, PeFormat) {
         b.faults.hugeCountTable = PeTable::FirstNames;
         b.faults.hugeNamedCount = b.faults.hugeIdCount = 0;
       },
       ResourceError::GenFailure, kNameNotFound, kNotFound, kNameNotFound, kNotFound},
      // "NAMED" lies in the tree's first half page: half its bytes are in the image.
      {"string name whose second half lies past the image edge",
       [](PeBuilder& b, PeFormat f) {
         b.faults.firstNameLength = static_cast<std::uint16_t>(ImageEdgeFromRoot(f) / 2);
       },
       kNoAccess, kNameNotFound, kNotFound, kOk, kFound},
      // One unit too long for the image: the last ends 2 bytes past its edge.
      {"string name whose last unit lies past the image edge",
       [](PeBuilder& b, PeFormat f) {
         b.faults.firstNameLength =
             static_cast<std::uint16_t>((ImageEdgeFromRoot(f) - NamedFromRoot(f)) / 2);
       },
       kNoAccess, kNameNotFound, kNotFound, kOk, kFound},
      // One unit shorter: the name ends exactly at the edge, and reads.
      {"string name that ends exactly at the image edge",
       [](PeBuilder& b, PeFormat f) {
         b.faults.firstNameLength =
             static_cast<std::uint16_t>((ImageEdgeFromRoot(f) - NamedFromRoot(f)) / 2 - 1);
       },
       kOk, kNameNotFound, kNotFound, kOk, kFound},
      // Without sections, which would be read from the directories' bytes.
      {"optional header ending right after the resource directory entry",
       [](PeBuilder& b, PeFormat f) {
         b.faults.sizeOfOptionalHeader = (f == PeFormat::Pe32 ? 96 : 112) + 3 * 8;
         b.faults.numberOfSections = 0;
       },
       kNoAccess, kNoAccess, kLoadFailed, kNoAccess, kLoadFailed},
      // The headers (0x200 bytes) are mapped to the end of their page, as zeros.
      {"data entries between SizeOfHeaders and the end of its page",
       [](PeBuilder& b, PeFormat) { b.faults.dataRva = pe_format::kSectionAlignment - 6; }},
      // Read at RVA 0, e_maxalloc would be a count of 0xFFFF named types.
      {"no resource directory, e_maxalloc 0xFFFF",
       [](PeBuilder& b, PeFormat) {
         b.faults.numberOfRvaAndSizes = 2;
         b.faults.dosMaxAlloc = 0xFFFF;
       },
       kTypeNotFound, kTypeNotFound, kNotFound, kTypeNotFound, kNotFound},
      // The existence test reads each language's identifier, not its target,
      // which lies past a SizeOfImage 4 bytes short of the page.
      {"language count reaching an image edge 4 bytes into an entry",
       [](PeBuilder& b, PeFormat f) {
         b.faults.hugeCountTable = PeTable::FirstLanguages;
         b.faults.hugeNamedCount = 0;
         b.faults.hugeIdCount = LanguagesToTheEdge(f);
         b.faults.sizeOfImage = ImageEdgeRva(f) - 4;
       }},
  };
  return cases;
}

std::size_t CaseCount() {
  return FaultCases().size() + ReaderOnlyCases().size();
}
const FaultCase& CaseAt(std::size_t i) {
  return i < FaultCases().size() ? FaultCases()[i] : ReaderOnlyCases()[i - FaultCases().size()];
}

class PeReaderFaultTest : public ::testing::TestWithParam<std::tuple<PeFormat, std::size_t>> {};

INSTANTIATE_TEST_SUITE_P(Faults, PeReaderFaultTest,
                         ::testing::Combine(::testing::Values(PeFormat::Pe32, PeFormat::Pe32Plus),
                                            ::testing::Range<std::size_t>(0, CaseCount())),
                         [](const auto& p) {
                           std::string label = CaseAt(std::get<1>(p.param)).label;
                           for (char& c : label) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return FormatName(std::get<0>(p.param)) + "_" + label;
                         });

TEST_P(PeReaderFaultTest, GivesACleanAnswer) {
  const auto [format, index] = GetParam();
  const FaultCase& c = CaseAt(index);
  PeBuilder b = BaseModule(format);
  c.fault(b, format);
  const ParsedImage image = ParseBuilt(b);
  if (c.enumCode == kNotAnImage) {
    EXPECT_EQ(image.reader, nullptr);
    return;
  }
  ASSERT_NE(image.reader, nullptr);
  const TestReader& r = *image.reader;
  std::vector<EnumeratedName> names;
  EXPECT_EQ(r.EnumNames(L"UIFILE", names), c.enumCode);
  EXPECT_EQ(r.CheckName(L"UIFILE", Text(L"NAMED")), c.checkNamed);
  EXPECT_EQ(r.Find(L"UIFILE", Text(L"NAMED")).lookup, c.findNamed);
  EXPECT_EQ(r.CheckName(L"UIFILE", Id(2)), c.checkTwo);
  EXPECT_EQ(r.Find(L"UIFILE", Id(2)).lookup, c.findTwo);

  // Whatever the answers, everything found lies inside the file, and asking
  // again (from the caches) gives the same answers.
  for (const wchar_t* type : {L"UIFILE", L"#10", L"NAMED", L"#1", L"#2"}) {
    std::vector<EnumeratedName> list;
    const ResourceError code = r.EnumNames(type, list);
    std::vector<EnumeratedName> again;
    EXPECT_EQ(r.EnumNames(type, again), code);
    EXPECT_EQ(NameTexts(again), NameTexts(list));
    std::vector<NameKey> keys = {Id(1), Text(L"UIFILE")};
    for (const EnumeratedName& name : list) keys.push_back(pe::KeyFromEnumerated(name));
    for (const NameKey& name : keys) {
      const ResourceError check = r.CheckName(type, name);
      EXPECT_EQ(r.CheckName(type, name), check);
      const ResourceData found = r.Find(type, name);
      EXPECT_EQ(r.Find(type, name).lookup, found.lookup);
      if (found.lookup == kFound && found.size != 0) {
        // Inside the file, or a copy the reader owns: the asan build sees any stray read.
        EXPECT_LE(std::count(found.data, found.data + found.size, 0x5A), found.size);
      }
    }
  }
}

TEST(PeReaderFaultsValid, ValidCaseFindsTheRightBytes) {
  for (PeFormat format : {PeFormat::Pe32, PeFormat::Pe32Plus}) {
    const ParsedImage image = ParseBuilt(BaseModule(format));
    EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Text(L"NAMED"))), "named");
    EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(2))), "two en");
  }
}

TEST(PeReaderFaultsValid, SharedLanguageTablesAnswerWithTheSharedData) {
  PeBuilder b = BaseModule(PeFormat::Pe32);
  b.faults.shareLanguageTables = true;
  const ParsedImage image = ParseBuilt(b);
  // Every name now has the languages of the first name ("NAMED").
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(2))), "named");
  EXPECT_EQ(FoundText(image, image.reader->Find(L"#10", Id(5))), "named");
}

// A name whose length ends on a high surrogate keeps it alone, even where the
// low half of a pair follows it in the image. The name is decoded from a copy of
// exactly its units, so a look past them is a read past the copy, which the
// sanitizer build reports.
TEST(PeReaderFaultsValid, SurrogateHalfAtTheEndOfANameStaysAlone) {
  PeBuilder b(PeFormat::Pe32);
  b.AddUifile(PeKey::Text(u"X\U0001F600"), PeBytes("cut"));
  b.faults.firstNameLength = 2;
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{{L'X', wchar_t(0xD83D)}}));
}

TEST(PeReaderFaultsValid, TypePointingAtTheRootEnumeratesTheTypes) {
  PeBuilder b = BaseModule(PeFormat::Pe32Plus);
  b.faults.loop = PeLoop::TypeIsRoot;
  const ParsedImage image = ParseBuilt(b);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"UIFILE", L"#10"}));
  // "UIFILE" as a name of UIFILE is the root again, taken as a language table
  // whose entries are all directories: it exists, but has no data.
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Text(L"UIFILE")), kOk);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Text(L"UIFILE")).lookup, kNotFound);
}

}  // namespace
}  // namespace tamro::test
