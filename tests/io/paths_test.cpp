// The path helpers: the Windows semantics with '\\' on Windows and '/' on Linux.
#include "io/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/support/case_name.h"

namespace tamro {
namespace {

struct PathRow {
  const char* what;
  std::wstring path;
  std::wstring result;
};

class AddBackslashTest : public ::testing::TestWithParam<PathRow> {};
TEST_P(AddBackslashTest, MatchesTable) {
  EXPECT_EQ(AddBackslash(GetParam().path), GetParam().result);
}

class RemoveBackslashTest : public ::testing::TestWithParam<PathRow> {};
TEST_P(RemoveBackslashTest, MatchesTable) {
  EXPECT_EQ(RemoveBackslash(GetParam().path), GetParam().result);
}

class FolderOfPathTest : public ::testing::TestWithParam<PathRow> {};
TEST_P(FolderOfPathTest, MatchesTable) {
  EXPECT_EQ(FolderOfPath(GetParam().path), GetParam().result);
}

class FileNameOfPathTest : public ::testing::TestWithParam<PathRow> {};
TEST_P(FileNameOfPathTest, MatchesTable) {
  EXPECT_EQ(FileNameOfPath(GetParam().path), GetParam().result);
}

struct RenameRow {
  const char* what;
  std::wstring name;
  std::wstring extension;
  std::wstring result;
};

class RenameExtensionTest : public ::testing::TestWithParam<RenameRow> {};
TEST_P(RenameExtensionTest, MatchesTable) {
  EXPECT_EQ(RenameExtension(GetParam().name, GetParam().extension), GetParam().result);
}

// Independent of the separator.
INSTANTIATE_TEST_SUITE_P(
    Common, RenameExtensionTest,
    ::testing::Values(
        RenameRow{"raw", L"40960.raw", L".tamro.txt", L"40960.tamro.txt"},
        RenameRow{"no extension", L"40960", L".tamro.txt", L"40960.tamro.txt"},
        RenameRow{"data", L"data", L".tamro.txt", L"data.tamro.txt"},
        RenameRow{"last extension only", L"a.b.c", L".tamro.txt", L"a.b.tamro.txt"},
        RenameRow{"two dots", L"a.b.raw", L".tamro.txt", L"a.b.tamro.txt"},
        RenameRow{"dot supplied", L"a.raw", L"txt", L"a.txt"},
        RenameRow{"trailing dot", L"a.", L".tamro.txt", L"a.tamro.txt"},
        RenameRow{"dot file", L".raw", L".tamro.txt", L".tamro.txt"},
        RenameRow{"space after dot ends extension", L"a.b c", L".tamro.txt", L"a.b c.tamro.txt"},
        RenameRow{"space before dot", L"my file.raw", L".tamro.txt", L"my file.tamro.txt"},
        RenameRow{"dot in a folder name", L"dir.x/name", L".tamro.txt", L"dir.x/name.tamro.txt"},
        RenameRow{"empty name", L"", L".tamro.txt", L".tamro.txt"},
        RenameRow{"long name keeps the new extension", std::wstring(400, L'n') + L".raw",
                  L".tamro.txt", std::wstring(400, L'n') + L".tamro.txt"}),
    test::CaseNamer());

#ifdef _WIN32

INSTANTIATE_TEST_SUITE_P(Windows, AddBackslashTest,
                         ::testing::Values(PathRow{"empty stays empty", L"", L""},
                                           PathRow{"folder", L"C:\\dir", L"C:\\dir\\"},
                                           PathRow{"already ends", L"C:\\dir\\", L"C:\\dir\\"},
                                           PathRow{"slash counts", L"C:\\dir/", L"C:\\dir/"},
                                           PathRow{"drive", L"C:", L"C:\\"},
                                           PathRow{"relative", L"dir", L"dir\\"}),
                         test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Windows, RemoveBackslashTest,
    ::testing::Values(PathRow{"drive root kept", L"C:\\", L"C:\\"},
                      PathRow{"folder", L"E:\\destpath\\", L"E:\\destpath"},
                      PathRow{"lone backslash kept", L"\\", L"\\"},
                      PathRow{"no trailing", L"C:\\dir", L"C:\\dir"},
                      PathRow{"only one removed", L"C:\\dir\\\\", L"C:\\dir\\"},
                      PathRow{"unc root kept", L"\\\\srv\\share\\", L"\\\\srv\\share\\"},
                      PathRow{"empty", L"", L""}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Windows, FolderOfPathTest,
    ::testing::Values(PathRow{"mask", L"D:\\source path\\*.raw", L"D:\\source path\\"},
                      PathRow{"drive root keeps backslash", L"C:\\x.raw", L"C:\\"},
                      PathRow{"no folder", L"40960.raw", L""}, PathRow{"empty", L"", L""},
                      PathRow{"folder with backslash", L"C:\\dir\\", L"C:\\dir\\"},
                      PathRow{"relative", L"dir\\x.raw", L"dir\\"},
                      PathRow{"slash", L"C:/dir/x.raw", L"C:/dir\\"},
                      PathRow{"rooted", L"\\x.raw", L"\\"},
                      PathRow{"unc", L"\\\\srv\\share\\x.raw", L"\\\\srv\\share\\"},
                      PathRow{"program", L"C:\\tools\\tamro.exe", L"C:\\tools\\"}),
    test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Windows, FileNameOfPathTest,
    ::testing::Values(PathRow{"mask", L"D:\\source path\\*.raw", L"*.raw"},
                      PathRow{"module", L"C:\\tools\\shell32.dll", L"shell32.dll"},
                      PathRow{"plain", L"40960.raw", L"40960.raw"},
                      PathRow{"slash", L"C:/dir/x.raw", L"x.raw"},
                      PathRow{"drive relative", L"C:x.raw", L"x.raw"},
                      PathRow{"trailing backslash stays", L"C:\\dir\\", L"dir\\"},
                      PathRow{"doubled trailing backslash stays", L"C:\\dir\\\\", L"dir\\\\"},
                      PathRow{"empty", L"", L""}),
    test::CaseNamer());

#else

INSTANTIATE_TEST_SUITE_P(Linux, AddBackslashTest,
                         ::testing::Values(PathRow{"empty stays empty", L"", L""},
                                           PathRow{"folder", L"/usr/dir", L"/usr/dir/"},
                                           PathRow{"already ends", L"/usr/dir/", L"/usr/dir/"},
                                           PathRow{"root", L"/", L"/"},
                                           PathRow{"backslash is a name", L"dir\\", L"dir\\/"},
                                           PathRow{"relative", L"dir", L"dir/"}),
                         test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(Linux, RemoveBackslashTest,
                         ::testing::Values(PathRow{"root kept", L"/", L"/"},
                                           PathRow{"folder", L"/dest/path/", L"/dest/path"},
                                           PathRow{"no trailing", L"/dest", L"/dest"},
                                           PathRow{"only one removed", L"/dest//", L"/dest/"},
                                           PathRow{"relative", L"dest/", L"dest"},
                                           PathRow{"empty", L"", L""}),
                         test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(Linux, FolderOfPathTest,
                         ::testing::Values(PathRow{"mask", L"/source path/*.raw", L"/source path/"},
                                           PathRow{"root keeps slash", L"/x.raw", L"/"},
                                           PathRow{"root alone", L"/", L"/"},
                                           PathRow{"no folder", L"40960.raw", L""},
                                           PathRow{"empty", L"", L""},
                                           PathRow{"folder with slash", L"/tmp/dir/", L"/tmp/dir/"},
                                           PathRow{"relative", L"dir/x.raw", L"dir/"},
                                           PathRow{"doubled slash", L"a//b", L"a/"},
                                           PathRow{"colon is a name", L"C:x.raw", L""},
                                           PathRow{"program", L"/opt/tamro/tamro", L"/opt/tamro/"}),
                         test::CaseNamer());

INSTANTIATE_TEST_SUITE_P(
    Linux, FileNameOfPathTest,
    ::testing::Values(PathRow{"mask", L"/source path/*.raw", L"*.raw"},
                      PathRow{"module", L"/srv/win/shell32.dll", L"shell32.dll"},
                      PathRow{"plain", L"40960.raw", L"40960.raw"},
                      PathRow{"trailing slash stays", L"/tmp/dir/", L"dir/"},
                      PathRow{"doubled trailing slash stays", L"/tmp/dir//", L"dir//"},
                      PathRow{"root", L"/", L"/"},
                      PathRow{"colon is a name", L"C:x.raw", L"C:x.raw"},
                      PathRow{"backslash is a name", L"a\\b.raw", L"a\\b.raw"},
                      PathRow{"empty", L"", L""}),
    test::CaseNamer());

#endif

TEST(ProgramFolder, IsTheFolderOfTheProgramWithSeparator) {
  const std::wstring folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(platform::IsPathSeparator(folder.back()));
  EXPECT_EQ(folder, FolderOfPath(platform::ProgramPath()));
  EXPECT_EQ(platform::PathExists(folder), std::error_code());
}

}  // namespace
}  // namespace tamro
