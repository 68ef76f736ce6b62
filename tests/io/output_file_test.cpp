// Output names made safe, and the sink that writes the output file.
#include "io/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/same_bytes.h"
#include "tests/support/table_test.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using enum ItemCode;

namespace fs = std::filesystem;

// What cannot stand in a file name is replaced.
const test::FunctionTable<std::wstring, std::wstring> kSafeFileName(
    "SafeFileName", SafeFileName,
    {{"plain", L"40960.tamro.txt", L"40960.tamro.txt"},
     {"empty", L"", L""},
     {"separators", L"a\\b/c", L"a_b_c"},
     {"drive colon", L"C:x", L"C_x"},
     {"wild cards", L"*?.txt", L"__.txt"},
     {"quote brackets bar", L"\"<a>|", L"__a__"},
     {"control characters", std::wstring(L"a\0b\tc\x1F\x7F", 7), L"a_b_c_\x7F"},
     {"dot dot stays a name", L"..", L".."},
     {"blank and non ascii kept", L" 24 \u00E9\u4E2D", L" 24 \u00E9\u4E2D"},
     {"percent kept", L"%s%d", L"%s%d"},
     {"device name", L"CON", L"_CON"},
     {"device name with extension", L"nul.tamro.txt", L"_nul.tamro.txt"},
     {"numbered device", L"Com1 .x", L"_Com1 .x"},
     {"last numbered device", L"lpt9", L"_lpt9"},
     {"two digits is no device", L"COM10", L"COM10"},
     {"aux in lower case", L"aux.txt", L"_aux.txt"},
     {"printer", L"Prn", L"_Prn"},
     {"device name inside a longer name", L"CONSOLE", L"CONSOLE"},
     {"port zero is no device", L"LPT0", L"LPT0"}});

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
