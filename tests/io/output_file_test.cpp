// Output names made safe, and the bytes of the written file.
#include "io/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/case_name.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

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
        SafeRow{"device name inside a longer name", L"CONSOLE", L"CONSOLE"},
        SafeRow{"port zero is no device", L"LPT0", L"LPT0"}),
    test::CaseNamer());

struct LineEndRow {
  const char* what;
  std::wstring text;
  std::string bytes;
};

class WriteOutputFileLineEndTest : public ::testing::TestWithParam<LineEndRow> {};

TEST_P(WriteOutputFileLineEndTest, StoresCrLfLineEnds) {
  test::TempFolder folder;
  ASSERT_EQ(WriteOutputFile(folder.Wide("out.tamro.txt"), GetParam().text), ResultOk);
  EXPECT_EQ(test::ReadBytes(folder.Path("out.tamro.txt")), GetParam().bytes);
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.tamro.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteOutputFileLineEndTest,
    ::testing::Values(LineEndRow{"empty text gives empty file", L"", ""},
                      LineEndRow{"crlf stays crlf", L"<duixml>\r\n\t<a/>\r\n</duixml>\r\n",
                                 "<duixml>\r\n\t<a/>\r\n</duixml>\r\n"},
                      LineEndRow{"lone lf becomes crlf", L"a\nb\n", "a\r\nb\r\n"},
                      LineEndRow{"lone cr dropped", L"a\rb\r\n", "ab\r\n"},
                      LineEndRow{"cr cr lf", L"a\r\r\n", "a\r\n"},
                      LineEndRow{"lf cr", L"a\n\rb", "a\r\nb"},
                      LineEndRow{"trailing lone cr", L"a\r\nb\r", "a\r\nb"},
                      LineEndRow{"leading lf", L"\nx", "\r\nx"},
                      LineEndRow{"only crs", L"\r\r\r", ""},
                      LineEndRow{"no line end", L"<a/>", "<a/>"},
                      LineEndRow{"text ends at nul", std::wstring(L"a\r\nb\0c\r\n", 8), "a\r\nb"}),
    test::CaseNamer());

// The definition of the stored line ends, for checking the block-wise fast path.
std::string ReferenceLineEnds(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    if (c == '\r') continue;
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TEST(WriteOutputFile, LineEndsAtEveryPositionAroundTheSixteenByteBlocks) {
  test::TempFolder folder;
  const std::wstring path = folder.Wide("o.txt");
  for (const char* insert : {"\r\n", "\r", "\n", "\r\r\n", "\n\r", "\r\n\r\n"}) {
    for (std::size_t at = 0; at <= 40; ++at) {
      std::string ascii(40, 'x');
      ascii.insert(at, insert);
      ASSERT_EQ(WriteOutputFile(path, test::Widen(ascii)), ResultOk);
      ASSERT_EQ(test::ReadBytes(folder.Path("o.txt")), ReferenceLineEnds(ascii))
          << "insert " << testing::PrintToString(std::string(insert)) << " at " << at;
    }
  }
}

TEST(WriteOutputFile, FirstByteIsTheTextsNoByteOrderMark) {
  test::TempFolder folder;
  ASSERT_EQ(WriteOutputFile(folder.Wide("o.txt"), L"<duixml>\r\n"), ResultOk);
  const std::string bytes = test::ReadBytes(folder.Path("o.txt"));
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.front(), '<');
  EXPECT_EQ(bytes.size(), 10u);
}

TEST(WriteOutputFile, ReplacesAnExistingFileAndRepeatsIdentically) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("o.txt"), std::string(5000, 'z'));
  ASSERT_EQ(WriteOutputFile(folder.Wide("o.txt"), L"x\r\n"), ResultOk);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "x\r\n");
  ASSERT_EQ(WriteOutputFile(folder.Wide("o.txt"), L"x\r\n"), ResultOk);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "x\r\n");
}

TEST(WriteOutputFile, LongTextIsWrittenWhole) {
  std::wstring text;
  std::string expected;
  for (int i = 0; i < 50000; ++i) {
    text += L"\t<element id=\"e\" width=\"100\"/>\r\n";
    expected += "\t<element id=\"e\" width=\"100\"/>\r\n";
  }
  text += L"tail\n";
  expected += "tail\r\n";
  test::TempFolder folder;
  ASSERT_EQ(WriteOutputFile(folder.Wide("o.txt"), text), ResultOk);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), expected);
}

TEST(WriteOutputFile, MissingFolderFailsWithCreateFailed) {
  test::TempFolder folder;
  EXPECT_EQ(WriteOutputFile(folder.Wide("missing") + L"/o.txt", L"x"), ResultCreateFailed);
  EXPECT_TRUE(fs::is_empty(folder.Root()));
}

TEST(WriteOutputFile, FolderOfThatNameFailsWithCreateFailed) {
  test::TempFolder folder;
  fs::create_directory(folder.Path("o.txt"));
  EXPECT_EQ(WriteOutputFile(folder.Wide("o.txt"), L"x"), ResultCreateFailed);
  EXPECT_TRUE(fs::is_directory(folder.Path("o.txt")));
}

TEST(WriteOutputFile, ReadOnlyFileIsLeftAsItWas) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("o.txt"), "old");
  fs::permissions(folder.Path("o.txt"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(WriteOutputFile(folder.Wide("o.txt"), L"new\r\n"), ResultCreateFailed);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "old");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"o.txt"});
  fs::permissions(folder.Path("o.txt"), fs::perms::owner_all);
}

#ifndef _WIN32

TEST(WriteOutputFile, NonAsciiIsUtf8WithoutByteOrderMark) {
  test::TempFolder folder;
  const std::wstring text =
      std::wstring(L"<a n=\"caf\u00E9 \u4E2D \U0001F600 ") + wchar_t(0xD800) + L"\"/>\r\n";
  ASSERT_EQ(WriteOutputFile(folder.Wide("o.txt"), text), ResultOk);
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")),
            "<a n=\"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 \xEF\xBF\xBD\"/>\r\n");
}

#endif

}  // namespace
}  // namespace tamro
