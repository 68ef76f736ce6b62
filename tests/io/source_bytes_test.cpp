// Source file bytes and resource bytes, classified by the signature, and held
// while their item is converted.
#include "io/source_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "io/convert_work.h"
#include "io/item_pipeline.h"
#include "io/text_source.h"
#include "tests/builders/duib_builder.h"
#include "tests/io/fake_module.h"
#include "tests/platform/held_text.h"
#include "tests/support/case_name.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using enum ItemCode;

struct SourceRow {
  const char* what;
  std::string content;
  ItemCode code;
};

class ReadSourceFileTest : public ::testing::TestWithParam<SourceRow> {};

TEST_P(ReadSourceFileTest, ReadsAndClassifies) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("source.raw"), GetParam().content);
  std::unique_ptr<platform::WholeFile> file;
  EXPECT_EQ(ReadSourceFile(folder.Wide("source.raw"), file), GetParam().code);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(test::HeldText(*file), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadSourceFileTest,
    ::testing::Values(SourceRow{"empty", "", ResultNotDuib},
                      SourceRow{"four signature bytes", "duib", ResultNotDuib},
                      SourceRow{"signature", std::string("duib\x05", 5), ResultOk},
                      SourceRow{"signature upper case", std::string("DUIB\x05rest", 9), ResultOk},
                      SourceRow{"signature then junk", std::string("duib\x05\xFF\xFF", 7),
                                ResultOk},
                      SourceRow{"wrong version", std::string("duib\x04", 5), ResultNotDuib},
                      SourceRow{"xml text", "<duixml></duixml>", ResultNotDuib}),
    test::CaseNamer());

TEST(ReadSourceFile, MissingFileOrFolderFailsToOpen) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("held.raw"), std::string("duib\x05", 5));
  std::unique_ptr<platform::WholeFile> file;
  EXPECT_EQ(ReadSourceFile(folder.Wide("held.raw"), file), ResultOk);
  EXPECT_EQ(ReadSourceFile(folder.Wide("missing.raw"), file), ResultOpenFailed);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(ReadSourceFile(folder.WideFolder(), file), ResultOpenFailed);
  EXPECT_EQ(file, nullptr);
}

using test::FakeModule;

const std::uint8_t kDuib[] = {'d', 'u', 'i', 'b', 5, 0, 0, 0};
const std::uint8_t kShort[] = {'d', 'u', 'i', 'b'};

struct ResourceRow {
  const char* what;
  pe::ResourceData found;
  ItemCode code;
  bool pointsIntoModule;
};

class LoadResourceBytesTest : public ::testing::TestWithParam<ResourceRow> {};

TEST_P(LoadResourceBytesTest, MapsTheLookup) {
  const FakeModule module(GetParam().found);
  const std::uint8_t* data = kShort;
  std::uint32_t size = 99;
  EXPECT_EQ(LoadResourceBytes(module, pe::KeyFromId(40960), data, size), GetParam().code);
  ASSERT_TRUE(module.lastType && module.lastName);
  EXPECT_EQ(module.lastType->folded, u"UIFILE");
  EXPECT_EQ(module.lastName->kind, pe::NameKey::Kind::Id);
  EXPECT_EQ(module.lastName->id, 40960);
  if (GetParam().pointsIntoModule) {
    EXPECT_EQ(data, GetParam().found.data);
    EXPECT_EQ(size, GetParam().found.size);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadResourceBytesTest,
    ::testing::Values(
        ResourceRow{"duib", {pe::DataLookup::Found, kDuib, sizeof kDuib}, ResultOk, true},
        ResourceRow{"short", {pe::DataLookup::Found, kShort, sizeof kShort}, ResultNotDuib, true},
        ResourceRow{"empty", {pe::DataLookup::Found, kDuib, 0}, ResultNotDuib, true},
        ResourceRow{"not found", {pe::DataLookup::NotFound, nullptr, 0}, ResultNotFound, false},
        ResourceRow{
            "load failed", {pe::DataLookup::LoadFailed, nullptr, 0}, ResultLoadFailed, false},
        ResourceRow{
            "found without pointer", {pe::DataLookup::Found, nullptr, 5}, ResultLoadFailed, false}),
    test::CaseNamer());

TEST(LoadResourceBytes, StringNameIsPassedThrough) {
  const FakeModule module({pe::DataLookup::Found, kDuib, sizeof kDuib});
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  EXPECT_EQ(LoadResourceBytes(module, pe::KeyFromStored(L"Ribbon"), data, size), ResultOk);
  ASSERT_TRUE(module.lastName);
  EXPECT_EQ(module.lastName->kind, pe::NameKey::Kind::Text);
  EXPECT_EQ(module.lastName->folded, u"RIBBON");
}

// A module whose held bytes could not all be read while an item's resource was
// converted (on Windows a mapping that met an in-page error) makes the item fail
// to load, with nothing written; the same module whole converts.
class LosingModule final : public FakeModule {
 public:
  using FakeModule::FakeModule;
  bool Lost() const override { return lost; }
  bool lost = false;
};

void Announce(const std::wstring&) {}

TEST(ConvertWork, BytesLostWhileConvertedFailTheItemUnwritten) {
  test::DuibBuilder d;
  d.Empty(test::builtin::Element);
  const std::vector<std::uint8_t> blob = d.Build();
  for (const bool lost : {false, true}) {
    SCOPED_TRACE(lost ? "lost" : "whole");
    LosingModule module(
        {pe::DataLookup::Found, blob.data(), static_cast<std::uint32_t>(blob.size())});
    module.lost = lost;
    ItemSource source;
    source.name = L"7";
    source.module = &module;
    source.resource = pe::KeyFromId(7);
    test::TempFolder folder;
    Destination destination{folder.WideFolder(), {}};
    const ItemResult result = RunItem(source, destination, ConvertWork(), Announce);
    EXPECT_EQ(result.code, lost ? ResultLoadFailed : ResultOk);
    EXPECT_EQ(test::NamesIn(folder.Root()),
              lost ? std::vector<std::string>{} : std::vector<std::string>{"7.tamro.txt"});
  }
}

// A text is read piece by piece; the checks before the reading rewind, after any
// number of pieces, and the reading after them must see the whole file once.
TEST(FileByteSource, EveryRewindGivesTheWholeFileAgain) {
  std::string content(5 * (std::size_t{1} << 19) + 3, '\0');  // two pieces and a half
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 4099);
  test::TempFolder folder;
  test::WriteBytes(folder.Path("text.txt"), content);
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(folder.Wide("text.txt"));
  ASSERT_NE(source, nullptr);
  for (const int before : {0, 1, 2, 3, 4, 1, 0}) {
    SCOPED_TRACE(before);
    for (int i = 0; i < before; ++i) source->Next();
    source->Rewind();
    std::string read;
    for (auto piece = source->Next(); !piece.empty(); piece = source->Next()) {
      read.append(piece.begin(), piece.end());
    }
    EXPECT_TRUE(read == content) << read.size() << " bytes read";
    EXPECT_FALSE(source->Failed());
  }
}

}  // namespace
}  // namespace tamro
