// Source file bytes and resource bytes, classified by the signature.
#include "io/source_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/io/fake_module.h"
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
  std::vector<std::uint8_t> buffer;
  EXPECT_EQ(ReadSourceFile(folder.Wide("source.raw"), buffer), GetParam().code);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), GetParam().content);
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
  std::vector<std::uint8_t> buffer{9};
  EXPECT_EQ(ReadSourceFile(folder.Wide("missing.raw"), buffer), ResultOpenFailed);
  EXPECT_EQ(ReadSourceFile(folder.WideFolder(), buffer), ResultOpenFailed);
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

}  // namespace
}  // namespace tamro
