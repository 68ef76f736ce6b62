// The Windows implementation where it has limits and forms of its own (run under
// Windows or Wine; compiled only for Windows).
#ifdef _WIN32

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/platform/find_all.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

namespace fs = std::filesystem;

TEST(Win32ExpandEnvironment, DefinedUndefinedAndLongerThan2048) {
  ASSERT_EQ(_wputenv_s(L"TAMRO_WIN_TEST", L"value"), 0);
  EXPECT_EQ(ExpandEnvironment(L"%TAMRO_WIN_TEST%\\x"), L"value\\x");
  EXPECT_EQ(ExpandEnvironment(L"%TAMRO_NO_SUCH_VARIABLE%\\x"), L"%TAMRO_NO_SUCH_VARIABLE%\\x");
  const std::wstring longValue(3000, L'L');
  ASSERT_EQ(_wputenv_s(L"TAMRO_WIN_LONG", longValue.c_str()), 0);
  EXPECT_EQ(ExpandEnvironment(L"%TAMRO_WIN_LONG%\\x"), longValue + L"\\x");
}

TEST(Win32FullPath, ResolvesDotsAndKeepsTrailingBackslash) {
  EXPECT_EQ(FullPath(L"C:\\a\\.\\b\\..\\c"), std::wstring(L"C:\\a\\c"));
  EXPECT_EQ(FullPath(L"C:\\a\\b\\"), std::wstring(L"C:\\a\\b\\"));
  EXPECT_EQ(FullPath(L""), std::nullopt);
}

TEST(Win32ProgramPath, EndsWithTheExecutable) {
  const std::wstring path = ProgramPath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), L".exe");
}

TEST(Win32FileSystem, ExistsEnsureAndFind) {
  test::TempFolder folder;
  EXPECT_NE(PathExists(folder.Wide("missing")), std::error_code());
  EXPECT_EQ(EnsureFolder(folder.Wide("a/b\\c\\")), std::error_code());
  EXPECT_TRUE(fs::is_directory(folder.Path("a/b/c")));
  EXPECT_EQ(PathExists(folder.Wide("a\\b\\c\\")), std::error_code());
  test::WriteBytes(folder.Path("f.raw"), "x");
  EXPECT_NE(EnsureFolder(folder.Wide("f.raw")), std::error_code());

  std::vector<std::wstring> names;
  for (const FoundEntry& entry : test::FindAll(folder.Wide("*"))) {
    names.push_back(entry.name + (entry.isDirectory ? L"\\" : L""));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"..\\", L".\\", L"a\\", L"f.raw"}));
  EXPECT_TRUE(test::FindAll(folder.Wide(std::string(300, 'x'))).empty());
}

TEST(Win32Files, PathLengthLimits) {
  test::TempFolder folder;
  const std::wstring base = folder.WideFolder();
  ASSERT_LT(base.size(), 200u);
  const std::wstring at259 = base + std::wstring(259 - base.size(), L'n');
  const std::wstring at260 = at259 + L"n";
  EXPECT_FALSE(WriteWholeFile(at260, "x"));
  EXPECT_TRUE(WriteWholeFile(at259, "x259"));
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(at259, bytes), ReadOutcome::Ok);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "x259");
  EXPECT_EQ(ReadWholeFile(at260, bytes), ReadOutcome::OpenFailed);
}

TEST(Win32Files, ReplaceAndReadOnly) {
  test::TempFolder folder;
  ASSERT_TRUE(WriteWholeFile(folder.Wide("o.txt"), "one"));
  ASSERT_TRUE(WriteWholeFile(folder.Wide("o.txt"), "two"));
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "two");
  fs::permissions(folder.Path("o.txt"), fs::perms::owner_read);
  EXPECT_FALSE(WriteWholeFile(folder.Wide("o.txt"), "three"));
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "two");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"o.txt"});
  fs::permissions(folder.Path("o.txt"), fs::perms::owner_all);
  EXPECT_FALSE(WriteWholeFile(folder.Wide("missing\\o.txt"), "x"));
}

// The temporary file of an output being written is not listed by a search, and
// an output given up before Commit leaves nothing behind.
TEST(Win32Files, OutputFileTemporaryIsUnlistedAndDiscarded) {
  test::TempFolder folder;
  std::unique_ptr<OutputFile> file = OutputFile::Create(folder.Wide("o.txt"));
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("<a/>\r\n"));
  EXPECT_EQ(test::NamesIn(folder.Root()).size(), 1u);
  std::vector<std::wstring> names;
  for (const FoundEntry& entry : test::FindAll(folder.Wide("*"))) names.push_back(entry.name);
  EXPECT_EQ(names.size(), 2u);  // "." and ".." only
  file.reset();
  EXPECT_TRUE(test::NamesIn(folder.Root()).empty());
  file = OutputFile::Create(folder.Wide("o.txt"));
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("<a/>\r\n") && file->Commit());
  EXPECT_EQ(test::ReadBytes(folder.Path("o.txt")), "<a/>\r\n");
}

TEST(Win32EncodeOutputString, AppendsTheCodePageBytes) {
  std::string bytes = "<";
  EncodeOutputString(u"duixml>\r\n", bytes);
  EncodeOutputString(u"", bytes);
  EncodeOutputString(u"caf\u00E9", bytes);  // code page 1252 under the tests' locale
  EXPECT_EQ(bytes, "<duixml>\r\ncaf\xE9");
}

}  // namespace
}  // namespace tamro::platform

#endif  // _WIN32
