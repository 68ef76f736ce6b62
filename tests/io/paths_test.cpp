// The path helpers: the Windows semantics with '\\' on Windows and '/' on Linux.
#include "io/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/support/table_test.h"

namespace tamro {
namespace {

using PathTable = test::FunctionTable<std::wstring, std::wstring>;

struct RenameRow {
  const char* what;
  std::wstring name;
  std::wstring extension;
  std::wstring result;
};

// Independent of the separator.
const test::Table<RenameRow> kRenameExtension(
    "RenameExtension",
    [](const RenameRow& row) { EXPECT_EQ(RenameExtension(row.name, row.extension), row.result); },
    {{"raw", L"40960.raw", L".tamro.txt", L"40960.tamro.txt"},
     {"no extension", L"40960", L".tamro.txt", L"40960.tamro.txt"},
     {"data", L"data", L".tamro.txt", L"data.tamro.txt"},
     {"last extension only", L"a.b.c", L".tamro.txt", L"a.b.tamro.txt"},
     {"two dots", L"a.b.raw", L".tamro.txt", L"a.b.tamro.txt"},
     {"dot supplied", L"a.raw", L"txt", L"a.txt"},
     {"trailing dot", L"a.", L".tamro.txt", L"a.tamro.txt"},
     {"dot file", L".raw", L".tamro.txt", L".tamro.txt"},
     {"space after dot ends extension", L"a.b c", L".tamro.txt", L"a.b c.tamro.txt"},
     {"space before dot", L"my file.raw", L".tamro.txt", L"my file.tamro.txt"},
     {"dot in a folder name", L"dir.x/name", L".tamro.txt", L"dir.x/name.tamro.txt"},
     {"empty name", L"", L".tamro.txt", L".tamro.txt"},
     {"long name keeps the new extension", std::wstring(400, L'n') + L".raw", L".tamro.txt",
      std::wstring(400, L'n') + L".tamro.txt"}});

#ifdef _WIN32

const PathTable kAddBackslash("AddBackslash", AddBackslash,
                              {{"empty stays empty", L"", L""},
                               {"folder", L"C:\\dir", L"C:\\dir\\"},
                               {"already ends", L"C:\\dir\\", L"C:\\dir\\"},
                               {"slash counts", L"C:\\dir/", L"C:\\dir/"},
                               {"drive", L"C:", L"C:\\"},
                               {"relative", L"dir", L"dir\\"}});

const PathTable kRemoveBackslash("RemoveBackslash", RemoveBackslash,
                                 {{"drive root kept", L"C:\\", L"C:\\"},
                                  {"folder", L"E:\\destpath\\", L"E:\\destpath"},
                                  {"lone backslash kept", L"\\", L"\\"},
                                  {"no trailing", L"C:\\dir", L"C:\\dir"},
                                  {"only one removed", L"C:\\dir\\\\", L"C:\\dir\\"},
                                  {"unc root kept", L"\\\\srv\\share\\", L"\\\\srv\\share\\"},
                                  {"empty", L"", L""}});

const PathTable kFolderOfPath("FolderOfPath", FolderOfPath,
                              {{"mask", L"D:\\source path\\*.raw", L"D:\\source path\\"},
                               {"drive root keeps backslash", L"C:\\x.raw", L"C:\\"},
                               {"no folder", L"40960.raw", L""},
                               {"empty", L"", L""},
                               {"folder with backslash", L"C:\\dir\\", L"C:\\dir\\"},
                               {"relative", L"dir\\x.raw", L"dir\\"},
                               {"one-letter folder", L"a\\x.raw", L"a\\"},
                               {"slash", L"C:/dir/x.raw", L"C:/dir\\"},
                               {"rooted", L"\\x.raw", L"\\"},
                               {"unc", L"\\\\srv\\share\\x.raw", L"\\\\srv\\share\\"},
                               {"program", L"C:\\tools\\tamro.exe", L"C:\\tools\\"}});

const PathTable kFileNameOfPath("FileNameOfPath", FileNameOfPath,
                                {{"mask", L"D:\\source path\\*.raw", L"*.raw"},
                                 {"module", L"C:\\tools\\shell32.dll", L"shell32.dll"},
                                 {"plain", L"40960.raw", L"40960.raw"},
                                 {"slash", L"C:/dir/x.raw", L"x.raw"},
                                 {"drive relative", L"C:x.raw", L"x.raw"},
                                 {"trailing backslash stays", L"C:\\dir\\", L"dir\\"},
                                 {"doubled trailing backslash stays", L"C:\\dir\\\\", L"dir\\\\"},
                                 {"empty", L"", L""}});

#else

const PathTable kAddBackslash("AddBackslash", AddBackslash,
                              {{"empty stays empty", L"", L""},
                               {"folder", L"/usr/dir", L"/usr/dir/"},
                               {"already ends", L"/usr/dir/", L"/usr/dir/"},
                               {"root", L"/", L"/"},
                               {"backslash is a name", L"dir\\", L"dir\\/"},
                               {"relative", L"dir", L"dir/"}});

const PathTable kRemoveBackslash("RemoveBackslash", RemoveBackslash,
                                 {{"root kept", L"/", L"/"},
                                  {"folder", L"/dest/path/", L"/dest/path"},
                                  {"no trailing", L"/dest", L"/dest"},
                                  {"only one removed", L"/dest//", L"/dest/"},
                                  {"relative", L"dest/", L"dest"},
                                  {"empty", L"", L""}});

const PathTable kFolderOfPath("FolderOfPath", FolderOfPath,
                              {{"mask", L"/source path/*.raw", L"/source path/"},
                               {"root keeps slash", L"/x.raw", L"/"},
                               {"root alone", L"/", L"/"},
                               {"no folder", L"40960.raw", L""},
                               {"empty", L"", L""},
                               {"folder with slash", L"/tmp/dir/", L"/tmp/dir/"},
                               {"relative", L"dir/x.raw", L"dir/"},
                               {"one-letter folder", L"a/x.raw", L"a/"},
                               {"doubled slash", L"a//b", L"a/"},
                               {"colon is a name", L"C:x.raw", L""},
                               {"program", L"/opt/tamro/tamro", L"/opt/tamro/"}});

const PathTable kFileNameOfPath("FileNameOfPath", FileNameOfPath,
                                {{"mask", L"/source path/*.raw", L"*.raw"},
                                 {"module", L"/srv/win/shell32.dll", L"shell32.dll"},
                                 {"plain", L"40960.raw", L"40960.raw"},
                                 {"trailing slash stays", L"/tmp/dir/", L"dir/"},
                                 {"doubled trailing slash stays", L"/tmp/dir//", L"dir//"},
                                 {"root", L"/", L"/"},
                                 {"colon is a name", L"C:x.raw", L"C:x.raw"},
                                 {"backslash is a name", L"a\\b.raw", L"a\\b.raw"},
                                 {"empty", L"", L""}});

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
