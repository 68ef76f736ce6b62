// Every malformation of the PE builder gives the loader's answer: not an image,
// type or name not found, a read outside the image (kErrorNoAccess), or a failed
// load; never a crash or a read outside the file (the asan build runs these too).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/resource_module.h"
#include "tests/resources/reader_test_support.h"

namespace tamro::test {
namespace {

using pe::kErrorNoAccess;
using platform::kErrorResourceNameNotFound;
using platform::kErrorResourceTypeNotFound;

constexpr std::uint32_t kNotAnImage = 0xFFFFFFFFu;
constexpr auto kFound = ResourceLookup::Found;
constexpr auto kNotFound = ResourceLookup::NotFound;
constexpr auto kLoadFailed = ResourceLookup::LoadFailed;

// UIFILE "NAMED" (its first name), 1 and 2 (two languages), and RT_RCDATA 5.
PeBuilder BaseModule(PeFormat format) {
  PeBuilder b(format);
  b.AddSection(".text", PeBytes("\xC3"));
  b.AddUifile(PeKey::Text(u"NAMED"), PeBytes("named"));
  b.AddUifile(PeKey::Id(1), PeBytes("one"));
  b.AddUifile(PeKey::Id(2), PeBytes("two en"), 0x409);
  b.AddUifile(PeKey::Id(2), PeBytes("two de"), 0x407);
  b.Add(PeKey::Id(10), PeKey::Id(5), 0, PeBytes("rcdata"));
  return b;
}

std::size_t SectionTableOffset(PeFormat format) {
  PeLayout layout;
  (void)BaseModule(format).Build(&layout);
  return layout.sectionTable;
}

std::size_t ResourceOffset(PeFormat format) {
  PeLayout layout;
  (void)BaseModule(format).Build(&layout);
  return layout.resourceOffset;
}

struct FaultCase {
  const char* label;
  std::function<void(PeBuilder&, PeFormat)> fault;
  std::uint32_t enumCode = 0;  // EnumNames("UIFILE"), or kNotAnImage when the load fails
  std::uint32_t checkNamed = 0;
  ResourceLookup findNamed = kFound;
  std::uint32_t checkTwo = 0;
  ResourceLookup findTwo = kFound;
};

const std::vector<FaultCase>& FaultCases() {
  static const std::vector<FaultCase> cases = {
      {"valid", [](PeBuilder&, PeFormat) {}, 0, 0, kFound, 0, kFound},
      {"truncated in the DOS header", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0x3E; },
       kNotAnImage},
      {"truncated in the PE signature", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0x82; },
       kNotAnImage},
      {"truncated in the file header", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0x90; },
       kNotAnImage},
      {"truncated in the optional header",
       [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0xD0; }, kNotAnImage},
      {"truncated in the section table",
       [](PeBuilder& b, PeFormat f) { b.faults.truncateAt = SectionTableOffset(f) + 50; },
       kNotAnImage},
      {"truncated in the resource section",
       [](PeBuilder& b, PeFormat f) { b.faults.truncateAt = ResourceOffset(f) + 40; }, kNotAnImage},
      {"empty file", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0; }, kNotAnImage},
      {"no MZ", [](PeBuilder& b, PeFormat) { b.faults.badDosMagic = true; }, kNotAnImage},
      {"no PE signature", [](PeBuilder& b, PeFormat) { b.faults.badPeSignature = true; },
       kNotAnImage},
      {"e_lfanew past the end", [](PeBuilder& b, PeFormat) { b.faults.lfanew = 0xFFFFFFF0u; },
       kNotAnImage},
      {"e_lfanew near the end",
       [](PeBuilder& b, PeFormat f) {
         b.faults.lfanew = static_cast<std::uint32_t>(b.Build().size() - 6);
         (void)f;
       },
       kNotAnImage},
      {"ROM optional header magic", [](PeBuilder& b, PeFormat) { b.faults.optionalMagic = 0x107; },
       kNotAnImage},
      {"PE32 magic on the other layout",
       [](PeBuilder& b, PeFormat f) {
         b.faults.optionalMagic = f == PeFormat::Pe32 ? 0x20B : 0x10B;
       },
       // Read with the other layout, the directory count is a zero field.
       kErrorResourceTypeNotFound, kErrorResourceTypeNotFound, kNotFound,
       kErrorResourceTypeNotFound, kNotFound},
      {"optional header too short",
       [](PeBuilder& b, PeFormat) { b.faults.sizeOfOptionalHeader = 0x40; }, kNotAnImage},
      {"optional header past the end",
       [](PeBuilder& b, PeFormat) { b.faults.sizeOfOptionalHeader = 0xFFFF; }, kNotAnImage},
      {"section count past the end",
       [](PeBuilder& b, PeFormat) { b.faults.numberOfSections = 0xFFFF; }, kNotAnImage},
      {"overlapping sections", [](PeBuilder& b, PeFormat) { b.faults.overlappingSections = true; },
       kNotAnImage},
      {"section raw data past the end of the file",
       [](PeBuilder& b, PeFormat) { b.faults.rawDataPastEnd = true; }, kNotAnImage},
      {"no section table entries", [](PeBuilder& b, PeFormat) { b.faults.numberOfSections = 0; },
       kErrorNoAccess, kErrorNoAccess, kLoadFailed, kErrorNoAccess, kLoadFailed},
      {"only two data directories",
       [](PeBuilder& b, PeFormat) { b.faults.numberOfRvaAndSizes = 2; }, kErrorResourceTypeNotFound,
       kErrorResourceTypeNotFound, kNotFound, kErrorResourceTypeNotFound, kNotFound},
      {"resource directory outside every section",
       [](PeBuilder& b, PeFormat) { b.faults.resourceRvaOutside = true; }, kErrorNoAccess,
       kErrorNoAccess, kLoadFailed, kErrorNoAccess, kLoadFailed},
      {"data entries at 0xFFFFFF00", [](PeBuilder& b, PeFormat) { b.faults.dataRva = 0xFFFFFF00u; },
       0, 0, kLoadFailed, 0, kLoadFailed},
      {"data entries in the headers", [](PeBuilder& b, PeFormat) { b.faults.dataRva = 0x10; }, 0, 0,
       kFound, 0, kFound},
      {"type entry pointing at data",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::TypeIsData; },
       kErrorResourceTypeNotFound, kErrorResourceTypeNotFound, kNotFound,
       kErrorResourceTypeNotFound, kNotFound},
      {"data outside every section", [](PeBuilder& b, PeFormat) { b.faults.dataRvaOutside = true; },
       0, 0, kLoadFailed, 0, kLoadFailed},
      {"data sizes past the end of the file",
       [](PeBuilder& b, PeFormat) { b.faults.dataSizePastEnd = true; }, 0, 0, kLoadFailed, 0,
       kLoadFailed},
      // The type "UIFILE" is a string name too: its lookup reads outside first.
      {"string names past the end",
       [](PeBuilder& b, PeFormat) { b.faults.stringNamesPastEnd = true; }, kErrorNoAccess,
       kErrorNoAccess, kLoadFailed, kErrorNoAccess, kLoadFailed},
      // A longer stored length makes "UIFILE" differ at its terminator.
      {"string names 4097 units long",
       [](PeBuilder& b, PeFormat) { b.faults.longNameLength = 4097; }, kErrorResourceTypeNotFound,
       kErrorResourceTypeNotFound, kNotFound, kErrorResourceTypeNotFound, kNotFound},
      {"huge entry count in the root",
       [](PeBuilder& b, PeFormat) { b.faults.hugeCountTable = PeTable::Root; }, kErrorNoAccess,
       kErrorNoAccess, kLoadFailed, kErrorNoAccess, kLoadFailed},
      {"huge entry count in the names",
       [](PeBuilder& b, PeFormat) { b.faults.hugeCountTable = PeTable::FirstNames; },
       kErrorNoAccess, kErrorNoAccess, kLoadFailed, kErrorNoAccess, kLoadFailed},
      {"huge entry count in the languages",
       [](PeBuilder& b, PeFormat) { b.faults.hugeCountTable = PeTable::FirstLanguages; }, 0,
       kErrorNoAccess, kLoadFailed, 0, kFound},
      {"type pointing back at the root",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::TypeIsRoot; }, 0,
       kErrorResourceNameNotFound, kNotFound, kErrorResourceNameNotFound, kNotFound},
      {"names pointing back at their own table",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::NameIsNameTable; }, 0, 0, kNotFound, 0,
       kNotFound},
      {"languages pointing back at the root",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::LanguageIsRoot; }, 0, 0, kNotFound, 0,
       kFound},
      {"shared name tables", [](PeBuilder& b, PeFormat) { b.faults.shareNameTables = true; }, 0, 0,
       kFound, 0, kFound},
      {"shared language tables",
       [](PeBuilder& b, PeFormat) { b.faults.shareLanguageTables = true; }, 0, 0, kFound, 0,
       kFound},
  };
  return cases;
}

class PeReaderFaultTest : public ::testing::TestWithParam<std::tuple<PeFormat, std::size_t>> {};

INSTANTIATE_TEST_SUITE_P(Faults, PeReaderFaultTest,
                         ::testing::Combine(::testing::Values(PeFormat::Pe32, PeFormat::Pe32Plus),
                                            ::testing::Range<std::size_t>(0, FaultCases().size())),
                         [](const auto& p) {
                           std::string label = FaultCases()[std::get<1>(p.param)].label;
                           for (char& c : label) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return FormatName(std::get<0>(p.param)) + "_" + label;
                         });

TEST_P(PeReaderFaultTest, GivesACleanAnswer) {
  const auto [format, index] = GetParam();
  const FaultCase& c = FaultCases()[index];
  PeBuilder b = BaseModule(format);
  c.fault(b, format);
  const ParsedImage image = ParseBuilt(b);
  if (c.enumCode == kNotAnImage) {
    EXPECT_EQ(image.reader, nullptr);
    return;
  }
  ASSERT_NE(image.reader, nullptr);
  const TestReader& r = *image.reader;
  std::vector<ResourceName> names;
  EXPECT_EQ(r.EnumNames(L"UIFILE", names), c.enumCode);
  EXPECT_EQ(r.CheckName(L"UIFILE", Text(L"NAMED")), c.checkNamed);
  EXPECT_EQ(r.Find(L"UIFILE", Text(L"NAMED")).lookup, c.findNamed);
  EXPECT_EQ(r.CheckName(L"UIFILE", Id(2)), c.checkTwo);
  EXPECT_EQ(r.Find(L"UIFILE", Id(2)).lookup, c.findTwo);

  // Whatever the answers, everything found lies inside the file, and asking
  // again (from the caches) gives the same answers.
  for (const wchar_t* type : {L"UIFILE", L"#10", L"NAMED", L"#1", L"#2"}) {
    std::vector<ResourceName> list;
    const std::uint32_t code = r.EnumNames(type, list);
    std::vector<ResourceName> again;
    EXPECT_EQ(r.EnumNames(type, again), code);
    EXPECT_EQ(NameTexts(again), NameTexts(list));
    list.push_back(Id(1));
    list.push_back(Text(L"UIFILE"));
    for (const ResourceName& name : list) {
      const std::uint32_t check = r.CheckName(type, name);
      EXPECT_EQ(r.CheckName(type, name), check);
      const ResourceBytes found = r.Find(type, name);
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

TEST(PeReaderFaultsValid, TypePointingAtTheRootEnumeratesTheTypes) {
  PeBuilder b = BaseModule(PeFormat::Pe32Plus);
  b.faults.loop = PeLoop::TypeIsRoot;
  const ParsedImage image = ParseBuilt(b);
  std::vector<ResourceName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), 0u);
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"UIFILE", L"#10"}));
  // "UIFILE" as a name of UIFILE is the root again, taken as a language table
  // whose entries are all directories: it exists, but has no data.
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Text(L"UIFILE")), 0u);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Text(L"UIFILE")).lookup, kNotFound);
}

}  // namespace
}  // namespace tamro::test
