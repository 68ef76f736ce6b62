// The reader's work is bounded: each table is decoded once, names are indexed
// once per table, lookups cost no rescans, and the caps stop hostile counts.
#include <gtest/gtest.h>

#include "tests/resources/reader_test_support.h"

namespace tamro::test {
namespace {

using platform::pe::kErrorInvalidData;
using platform::pe::kMaxEntriesPerTable;
using platform::pe::kMaxEntriesTotal;
using platform::pe::WalkStats;

PeBuilder ManyUifiles(std::uint32_t count, bool strings) {
  PeBuilder b(PeFormat::Pe32Plus);
  for (std::uint32_t i = 1; i <= count; ++i) {
    const std::string text = std::to_string(i);
    if (strings) {
      b.AddUifile(PeKey::Text(u"NAME_" + std::u16string(text.begin(), text.end())),
                  PeBytes("data " + text));
    } else {
      b.AddUifile(PeKey::Id(static_cast<std::uint16_t>(i)), PeBytes("data " + text));
    }
  }
  return b;
}

// Enumerates every UIFILE and finds each twice; returns the reader's work.
WalkStats EnumerateAndFind(std::uint32_t count, bool strings) {
  const ParsedImage image = ParseBuilt(ManyUifiles(count, strings));
  std::vector<ResourceName> names;
  EXPECT_EQ(image.reader->EnumNames(L"UIFILE", names), 0u);
  EXPECT_EQ(names.size(), count);
  for (int round = 0; round < 2; ++round) {
    for (const ResourceName& name : names) {
      EXPECT_EQ(image.reader->CheckName(L"UIFILE", name), 0u);
      EXPECT_EQ(image.reader->Find(L"UIFILE", name).lookup, ResourceLookup::Found);
    }
  }
  return image.reader->Stats();
}

class PeReaderScalingTest : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Names, PeReaderScalingTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Strings" : "Ids"; });

TEST_P(PeReaderScalingTest, WorkIsLinearInTheNumberOfNames) {
  for (std::uint32_t count : {500u, 5000u}) {
    SCOPED_TRACE(count);
    const WalkStats stats = EnumerateAndFind(count, GetParam());
    EXPECT_EQ(stats.tablesDecoded, 2u);      // root and UIFILE's names, once each
    EXPECT_EQ(stats.indexesBuilt, 2u);       // one index each, whatever the lookups
    EXPECT_EQ(stats.languageTables, count);  // each name's languages scanned once
    EXPECT_EQ(stats.entriesDecoded, 1u + count + count);
  }
}

TEST(PeReaderBounds, SharedLanguageTableIsScannedOnce) {
  PeBuilder b = ManyUifiles(1000, false);
  b.faults.shareLanguageTables = true;
  const ParsedImage image = ParseBuilt(b);
  std::vector<ResourceName> names;
  ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), 0u);
  for (const ResourceName& name : names) {
    EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", name)), "data 1");
  }
  EXPECT_EQ(image.reader->Stats().languageTables, 1u);
}

TEST(PeReaderBounds, SharedNameTablesAreDecodedOnce) {
  PeBuilder b(PeFormat::Pe32);
  for (std::uint16_t type = 1; type <= 50; ++type) {
    b.Add(PeKey::Id(type), PeKey::Id(1), 0, PeBytes("x"));
  }
  b.AddUifile(PeKey::Id(1), PeBytes("uifile"));
  b.faults.shareNameTables = true;
  const ParsedImage image = ParseBuilt(b);
  for (std::uint16_t type = 1; type <= 50; ++type) {
    std::vector<ResourceName> names;
    EXPECT_EQ(image.reader->EnumNames(L"#" + std::to_wstring(type), names), 0u);
  }
  EXPECT_EQ(image.reader->Stats().tablesDecoded, 2u);
}

TEST(PeReaderBounds, SelfReferencingDirectoriesTerminate) {
  for (PeLoop loop : {PeLoop::TypeIsRoot, PeLoop::NameIsNameTable, PeLoop::LanguageIsRoot}) {
    PeBuilder b = ManyUifiles(20, false);
    b.faults.loop = loop;
    const ParsedImage image = ParseBuilt(b);
    std::vector<ResourceName> names;
    ASSERT_EQ(image.reader->EnumNames(L"UIFILE", names), 0u);
    for (const ResourceName& name : names) {
      (void)image.reader->CheckName(L"UIFILE", name);
      (void)image.reader->Find(L"UIFILE", name);
    }
    EXPECT_LE(image.reader->Stats().tablesDecoded, 2u);
  }
}

TEST(PeReaderBounds, EntriesPerTableAreCapped) {
  // A language table that claims 2 x 65535 entries, all of which lie in the file
  // (a large resource follows it): the cap, not the file, stops it.
  PeBuilder b(PeFormat::Pe32);
  b.AddUifile(PeKey::Id(1), std::vector<std::uint8_t>(1200000, 0x11));
  b.faults.hugeCountTable = PeTable::FirstLanguages;
  const ParsedImage image = ParseBuilt(b);
  static_assert(2u * 0xFFFF > kMaxEntriesPerTable);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(1)), kErrorInvalidData);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Id(1)).lookup, ResourceLookup::NotFound);
  // Within the cap the same bytes are read (as zero entries: no data entry).
  PeBuilder within(PeFormat::Pe32);
  within.AddUifile(PeKey::Id(1), std::vector<std::uint8_t>(1200000, 0x00));
  within.faults.hugeCountTable = PeTable::FirstLanguages;
  within.faults.hugeNamedCount = 0;
  const ParsedImage image2 = ParseBuilt(within);
  EXPECT_EQ(image2.reader->CheckName(L"UIFILE", Id(1)), 0u);
}

TEST(PeReaderBounds, EntriesInAllAreCapped) {
  // Every name's language table claims 65535 entries that lie in the file.
  constexpr std::uint32_t kNames = 20;
  PeBuilder b(PeFormat::Pe32);
  for (std::uint16_t i = 1; i <= kNames; ++i) b.AddUifile(PeKey::Id(i), PeBytes("x"));
  b.AddUifile(PeKey::Id(999), std::vector<std::uint8_t>(600000, 0x00));
  b.faults.hugeCountTable = PeTable::AllLanguages;
  b.faults.hugeNamedCount = 0;
  const ParsedImage image = ParseBuilt(b);
  std::uint32_t readable = 0;
  for (std::uint16_t i = 1; i <= kNames; ++i) {
    const std::uint32_t code = image.reader->CheckName(L"UIFILE", Id(i));
    if (code == 0) {
      ++readable;
    } else {
      EXPECT_EQ(code, kErrorInvalidData);
    }
  }
  // Root (1 entry) and names (21) come first; then whole tables while they fit.
  EXPECT_EQ(readable, (kMaxEntriesTotal - 1 - (kNames + 1)) / 0xFFFF);
  EXPECT_LE(image.reader->Stats().entriesDecoded, kMaxEntriesTotal);
}

TEST(PeReaderBounds, NameCharactersInAllAreCapped) {
  // 1100 names of 4000 characters each would be 4.4M units; the cap is 4M.
  static_assert(1100u * 4000u > platform::pe::kMaxNameUnitsTotal);
  PeBuilder b(PeFormat::Pe32);
  for (std::uint32_t i = 0; i < 1100; ++i) {
    std::u16string name(4000, u'A');
    const std::string digits = std::to_string(i);
    name.replace(0, digits.size(), std::u16string(digits.begin(), digits.end()));
    b.AddUifile(PeKey::Text(name), PeBytes("x"));
  }
  const ParsedImage image = ParseBuilt(b);
  std::vector<ResourceName> names;
  EXPECT_EQ(image.reader->EnumNames(L"UIFILE", names), kErrorInvalidData);
  EXPECT_LE(image.reader->Stats().nameUnits, platform::pe::kMaxNameUnitsTotal);
}

}  // namespace
}  // namespace tamro::test
