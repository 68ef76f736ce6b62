// Output names made safe, and the sink that writes the output file.
#include "io/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/case_name.h"
#include "tests/support/same_bytes.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using enum ItemCode;

namespace fs = std::filesystem;

struct SafeRow {
  const char* what;
  std::wstring name;
  std::wstring safe;
};

class SafeFileNameTest : public ::testing::TestWithParam<SafeRow> {};

TEST_P(SafeFileNameTest, ReplacesWhatCannotStandInAFileName) {
  EXPECT_EQ(SafeFileName(GetParam().name), GetParam().safe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SafeFileNameTest,
    ::testing::Values(
        SafeRow{"plain", L"40960.tamro.txt", L"40960.tamro.txt"}, SafeRow{"empty", L"", L""},
        SafeRow{"separators", L"a\\b/c", L"a_b_c"}, SafeRow{"drive colon", L"C:x", L"C_x"},
        SafeRow{"wild cards", L"*?.txt", L"__.txt"},
        SafeRow{"quote brackets bar", L"\"<a>|", L"__a__"},
        SafeRow{"control characters", std::wstring(L"a\0b\tc\x1F\x7F", 7), L"a_b_c_\x7F"},
        SafeRow{"dot dot stays a name", L"..", L".."},
        SafeRow{"blank and non ascii kept", L" 24 \u00E9\u4E2D", L" 24 \u00E9\u4E2D"},
        SafeRow{"percent kept", L"%s%d", L"%s%d"}, SafeRow{"device name", L"CON", L"_CON"},
        SafeRow{"device name with extension", L"nul.tamro.txt", L"_nul.tamro.txt"},
        SafeRow{"numbered device", L"Com1 .x", L"_Com1 .x"},
        SafeRow{"last numbered device", L"lpt9", L"_lpt9"},
        SafeRow{"two digits is no device", L"COM10", L"COM10"},
        SafeRow{"aux in lower case", L"aux.txt", L"_aux.txt"}, SafeRow{"printer", L"Prn", L"_Prn"},
        SafeRow{"device name inside a longer name", L"CONSOLE", L"CONSOLE"},
        SafeRow{"port zero is no device", L"LPT0", L"LPT0"}),
    test::CaseNamer());

// Writes `pieces` through a sink for `path` and commits it.
ItemCode WriteThrough(const std::wstring& path, std::initializer_list<std::string_view> pieces) {
  OutputFileSink sink(path);
  for (std::string_view piece : pieces) sink.Write(piece);
  return sink.Commit();
}

TEST(OutputFileSink, StoresThePiecesInOrderAndLeavesNothingElse) {
  test::TempFolder folder;
  ASSERT_EQ(WriteThrough(folder.Wide("o.txt"), {"<duixml>\r\n", "", "\t<a/>\r\n"}), ResultOk);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "<duixml>\r\n\t<a/>\r\n");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"o.txt"});
}

TEST(OutputFileSink, NoBytesGiveAnEmptyFile) {
  test::TempFolder folder;
  ASSERT_EQ(WriteThrough(folder.Wide("o.txt"), {}), ResultOk);
  EXPECT_TRUE(fs::exists(folder.Path("o.txt")));
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "");
}

TEST(OutputFileSink, ReplacesAnExistingFileAndRepeatsIdentically) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("o.txt"), std::string(5000, 'z'));
  ASSERT_EQ(WriteThrough(folder.Wide("o.txt"), {"x\r\n"}), ResultOk);
  EXPECT_SAME_BYTES(test::ReadBytes(folder.Path("o.txt")), "x\r\n");
  ASSERT_EQ(WriteThrough(folder.Wide("o.txt"), {"x\r\n"}), ResultOk);
  EXPECT_SAME_BYTES(test::ReadBytes(folder.Path("o.txt")), "x\r\n");
}

TEST(OutputFileSink, WithoutCommitNothingStandsAndAnOldFileStays) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("old.txt"), "old");
  {
    OutputFileSink fresh(folder.Wide("new.txt"));
    fresh.Write("partial");
    OutputFileSink old(folder.Wide("old.txt"));
    old.Write("partial");
  }
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"old.txt"});
  EXPECT_EQ(test::ReadBytes(folder.Path("old.txt")), "old");
}

TEST(OutputFileSink, MissingFolderFailsWithCreateFailed) {
  test::TempFolder folder;
  EXPECT_EQ(WriteThrough(folder.Wide("missing") + L"/o.txt", {"x"}), ResultCreateFailed);
  EXPECT_TRUE(fs::is_empty(folder.Root()));
}

TEST(OutputFileSink, FolderOfThatNameFailsWithCreateFailed) {
  test::TempFolder folder;
  fs::create_directory(folder.Path("o.txt"));
  EXPECT_EQ(WriteThrough(folder.Wide("o.txt"), {"x"}), ResultCreateFailed);
  EXPECT_TRUE(fs::is_directory(folder.Path("o.txt")));
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"o.txt"});
}

TEST(OutputFileSink, ReadOnlyFileIsLeftAsItWas) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("o.txt"), "old");
  fs::permissions(folder.Path("o.txt"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(WriteThrough(folder.Wide("o.txt"), {"new\r\n"}), ResultCreateFailed);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "old");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"o.txt"});
  fs::permissions(folder.Path("o.txt"), fs::perms::owner_all);
}

}  // namespace
}  // namespace tamro
