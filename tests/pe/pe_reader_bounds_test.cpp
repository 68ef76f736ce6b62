// The reader's work is bounded: large tables are searched as the loader searches
// them, self-referencing directories end at the third level, and hostile counts
// end in a clean answer.
#include <gtest/gtest.h>

#include "pe/pe_image.h"
#include "tests/builders/little_endian.h"
#include "tests/builders/pe_format.h"
#include "tests/pe/reader_test_support.h"

namespace tamro::test {
namespace {

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

// The file offset of the table that the entry target at `targetAt` points to.
std::size_t Subtable(const std::vector<std::uint8_t>& file, std::size_t root,
                     std::size_t targetAt) {
  return root + (Get32(file, targetAt) & ~pe_format::kSubdirectory);
}

class PeReaderScalingTest : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Names, PeReaderScalingTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Strings" : "Ids"; });

TEST_P(PeReaderScalingTest, EveryNameOfALargeSortedTableIsFoundWithItsBytes) {
  constexpr std::uint32_t kCount = 5000;
  const ParsedImage image = ParseBuilt(ManyUifiles(kCount, GetParam()));
  const std::vector<EnumeratedName> names = UifileNames(image);
  ASSERT_EQ(names.size(), kCount);
  std::uint32_t right = 0;
  for (const EnumeratedName& name : names) {
    const std::string expected =
        "data " +
        (name.isId ? std::to_string(name.id) : std::string(name.text.begin() + 5, name.text.end()));
    if (image.reader->CheckName(L"UIFILE", name) == kOk &&
        FoundText(image, image.reader->Find(L"UIFILE", name)) == expected) {
      ++right;
    }
  }
  EXPECT_EQ(right, kCount);
}

// An id above every id of its table is not there, even where the bytes right
// after the table read as an entry for it.
TEST(PeReaderBounds, IdSearchEndsAtTheTablesLastEntry) {
  using namespace pe_format;
  PeBuilder b(PeFormat::Pe32);
  b.AddUifile(PeKey::Id(1), PeBytes("one")).AddUifile(PeKey::Id(2), PeBytes("two"));
  PeLayout layout;
  std::vector<std::uint8_t> file = b.Build(&layout);
  const std::size_t root = layout.resourceOffset;
  const std::size_t names = Subtable(file, root, TargetAt(root, 0));
  ASSERT_EQ(Get16(file, names + kDirIdCount), 2);
  const std::size_t past = EntryAt(names, 2);
  Put32(file, past + kEntryName, 3);
  Put32(file, past + kEntryTarget, Get32(file, TargetAt(names, 1)));
  const ParsedImage image = ParseBytes(std::move(file));
  ASSERT_TRUE(image.reader);
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(2))), "two");
  EXPECT_EQ(image.reader->Find(L"UIFILE", Id(3)).lookup, DataLookup::NotFound);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(3)), kNameNotFound);
}

// Without a preferred language the first data entry is chosen: a directory
// listed before it is passed over.
TEST(PeReaderBounds, LanguageFallbackPassesOverADirectory) {
  using namespace pe_format;
  PeBuilder b(PeFormat::Pe32);
  b.AddUifile(PeKey::Id(7), PeBytes("de"), 0x407).AddUifile(PeKey::Id(7), PeBytes("fr"), 0x40C);
  PeLayout layout;
  std::vector<std::uint8_t> file = b.Build(&layout);
  const std::size_t root = layout.resourceOffset;
  const std::size_t names = Subtable(file, root, TargetAt(root, 0));
  const std::size_t languages = Subtable(file, root, TargetAt(names, 0));
  ASSERT_EQ(Get16(file, languages + kDirIdCount), 2);
  Put32(file, TargetAt(languages, 0), kSubdirectory);  // the root, a directory
  const ParsedImage image = ParseBytes(std::move(file));
  ASSERT_TRUE(image.reader);
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(7))), "fr");
}

TEST(PeReaderBounds, SharedLanguageTableAnswersWithTheSharedData) {
  PeBuilder b = ManyUifiles(1000, false);
  b.faults.shareLanguageTables = true;
  const ParsedImage image = ParseBuilt(b);
  for (const EnumeratedName& name : UifileNames(image)) {
    EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", name)), "data 1");
  }
}

TEST(PeReaderBounds, SelfReferencingDirectoriesTerminate) {
  for (PeLoop loop : {PeLoop::TypeIsRoot, PeLoop::NameIsNameTable, PeLoop::LanguageIsRoot}) {
    PeBuilder b = ManyUifiles(20, false);
    b.faults.loop = loop;
    const ParsedImage image = ParseBuilt(b);
    for (const EnumeratedName& name : UifileNames(image)) {
      (void)image.reader->CheckName(L"UIFILE", name);
      (void)image.reader->Find(L"UIFILE", name);
    }
  }
}

TEST(PeReaderBounds, CountsThatReachPastTheImageEndCleanly) {
  // A language table that claims 2 x 65535 entries with a large resource after
  // it: the search reads inside the image, the existence test reads past it.
  PeBuilder b(PeFormat::Pe32);
  b.AddUifile(PeKey::Id(1), std::vector<std::uint8_t>(600000, 0x00));
  b.faults.hugeCountTable = PeTable::FirstLanguages;
  const ParsedImage image = ParseBuilt(b);
  EXPECT_EQ(image.reader->CheckName(L"UIFILE", Id(1)), kNoAccess);
  EXPECT_EQ(image.reader->Find(L"UIFILE", Id(1)).lookup, DataLookup::LoadFailed);
  // Within the image, the entries are zeros: the id 0, each a data entry at 0.
  PeBuilder within(PeFormat::Pe32);
  within.AddUifile(PeKey::Id(1), std::vector<std::uint8_t>(1200000, 0x00));
  within.faults.hugeCountTable = PeTable::FirstLanguages;
  within.faults.hugeNamedCount = 0;
  const ParsedImage image2 = ParseBuilt(within);
  EXPECT_EQ(image2.reader->CheckName(L"UIFILE", Id(1)), kOk);
}

TEST(PeReaderBounds, ResourcesInTheZeroTailAreCopiedUpToTheLimit) {
  // The resource section maps a page of tree and limit + 1 bytes of zeros.
  constexpr std::uint32_t kPage = pe_format::kSectionAlignment;
  PeBuilder b(PeFormat::Pe32);
  b.AddUifile(PeKey::Id(1), PeBytes("x"));
  PeLayout layout;
  (void)b.Build(&layout);
  b.faults.resourceVirtualSize = 2 * kPage + pe::kMaxCopiedResource;
  b.faults.sizeOfImage = layout.resourceRva + *b.faults.resourceVirtualSize;
  b.faults.dataRva = layout.resourceRva + kPage;
  // An empty one is found there too, with no byte to copy.
  for (std::uint32_t size : {0u, pe::kMaxCopiedResource, pe::kMaxCopiedResource + 1}) {
    b.faults.dataSize = size;
    const ParsedImage image = ParseBuilt(b);
    EXPECT_EQ(image.reader->Find(L"UIFILE", Id(1)).lookup,
              size <= pe::kMaxCopiedResource ? DataLookup::Found : DataLookup::LoadFailed);
  }
}

// The headers are read in steps: given the first bytes of a file, the check asks
// for more only where the file has them, and refuses what lies past its end.
TEST(PeReaderBounds, HeadersAskForMoreOnlyWithinTheFile) {
  using Verdict = pe::PeImage::Verdict;
  PeLayout layout;
  const std::vector<std::uint8_t> file = PeBuilder(PeFormat::Pe32).Build(&layout);
  const std::uint64_t fileHeaderEnd = layout.ntHeaders + 4 + 20 + 2;  // and the magic
  struct Row {
    std::size_t given;
    std::uint64_t fileSize;
    Verdict verdict;
    std::uint64_t needed;  // when NeedMore
  };
  const Row rows[] = {
      {file.size(), file.size(), Verdict::Image, 0},
      {64, file.size(), Verdict::NeedMore, fileHeaderEnd},
      {64, fileHeaderEnd, Verdict::NeedMore, fileHeaderEnd},
      {64, fileHeaderEnd - 1, Verdict::NotImage, 0},  // the file ends inside its headers
      {64, layout.ntHeaders, Verdict::NotImage, 0},
      {63, file.size(), Verdict::NeedMore, 64},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.given << " of " << row.fileSize);
    std::uint64_t needed = 0;
    const ByteView given(file.data(), static_cast<std::uint32_t>(row.given));
    EXPECT_EQ(pe::PeImage::CheckHeaders(given, row.fileSize, needed), row.verdict);
    if (row.verdict == Verdict::NeedMore) {
      EXPECT_EQ(needed, row.needed);
    }
  }
}

// Data that starts 3 bytes before the resource section, at the end of a section
// whose page is all file bytes, is copied from both: the first piece from one
// section, the rest from the start of the next.
TEST(PeReaderBounds, ResourceAcrossTwoSectionsIsCopiedFromEach) {
  PeBuilder b(PeFormat::Pe32);
  b.AddSection(".text", std::vector<std::uint8_t>(pe_format::kSectionAlignment, 'T'));
  b.AddUifile(PeKey::Id(1), PeBytes("x"));
  PeLayout layout;
  const std::vector<std::uint8_t> file = b.Build(&layout);
  ASSERT_EQ(layout.resourceRva % pe_format::kSectionAlignment, 0u);
  b.faults.dataRva = layout.resourceRva - 3;
  b.faults.dataSize = 8;
  const ParsedImage image = ParseBuilt(b);
  const std::string root(file.begin() + static_cast<std::ptrdiff_t>(layout.resourceOffset),
                         file.begin() + static_cast<std::ptrdiff_t>(layout.resourceOffset + 5));
  EXPECT_EQ(FoundText(image, image.reader->Find(L"UIFILE", Id(1))), "TTT" + root);
  // The copy itself writes exactly the bytes asked for, not a byte past them.
  const std::optional<pe::PeImage> pe =
      pe::PeImage::Parse(ByteView(file.data(), static_cast<std::uint32_t>(file.size())));
  ASSERT_TRUE(pe);
  std::string out(16, '#');
  ASSERT_TRUE(pe->Copy(layout.resourceRva - 3, 8, reinterpret_cast<std::uint8_t*>(out.data())));
  EXPECT_EQ(out, "TTT" + root + std::string(8, '#'));
  // The second section's raw data ending before its VirtualSize: zeros after it.
  b.faults = {};
  b.faults.resourceVirtualSize = 2 * pe_format::kSectionAlignment;
  const std::vector<std::uint8_t> tailed = b.Build();
  const std::optional<pe::PeImage> withTail =
      pe::PeImage::Parse(ByteView(tailed.data(), static_cast<std::uint32_t>(tailed.size())));
  ASSERT_TRUE(withTail);
  const std::string raw(tailed.begin() + static_cast<std::ptrdiff_t>(layout.resourceOffset),
                        tailed.end());
  std::string copied(3 + raw.size() + 4, '#');
  ASSERT_TRUE(withTail->Copy(layout.resourceRva - 3, copied.size(),
                             reinterpret_cast<std::uint8_t*>(copied.data())));
  EXPECT_EQ(copied, "TTT" + raw + std::string(4, '\0'));
  // A range that wraps around the end of the address space is no range at all.
  EXPECT_FALSE(pe->Mapped(layout.resourceRva, ~std::uint64_t{0}));
}

TEST(PeReaderBounds, NameCharactersInAllAreCapped) {
  // 1100 names of 4096 characters each would be 4.4M units; the cap is 4 Mi,
  // which the first 1024 reach exactly.
  static_assert(1100u * 4096u > pe::kMaxNameUnitsTotal);
  PeBuilder b(PeFormat::Pe32);
  for (std::uint32_t i = 0; i < 1100; ++i) {
    std::u16string name(4096, u'A');
    const std::string digits = std::to_string(i);
    name.replace(0, digits.size(), std::u16string(digits.begin(), digits.end()));
    b.AddUifile(PeKey::Text(name), PeBytes("x"));
  }
  EXPECT_EQ(UifileNames(ParseBuilt(b)).size(), 1024u);
}

}  // namespace
}  // namespace tamro::test
