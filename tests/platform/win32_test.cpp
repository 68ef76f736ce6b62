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
#include "platform/win32/windows_api.h"
#include "tests/platform/find_all.h"
#include "tests/platform/held_text.h"
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
  const std::unique_ptr<WholeFile> file = ReadWholeFile(at259);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(test::HeldText(*file), "x259");
  EXPECT_EQ(ReadWholeFile(at260), nullptr);
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

// `size` bytes of a pattern that no shifted copy matches.
std::string Pattern(std::size_t size, int seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i + seed) % 251);
  return bytes;
}

// Opens `path` for writing, shared with every other opener; the handle or
// INVALID_HANDLE_VALUE.
HANDLE OpenToWrite(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A file large enough to be mapped is held shared with nobody: no other opener
// may write it, cut it short or delete it until it is released (and a mapped
// file cannot be cut short at all). A small file is held as a copy, and the file
// is free again at once; cutting it short changes nothing of the copy.
TEST(Win32Files, HeldFilesCannotBeChangedUnderTheirReader) {
  test::TempFolder folder;
  const std::wstring path = folder.Wide("source.raw");
  for (const std::size_t size : {std::size_t{4096}, std::size_t{1} << 20}) {
    SCOPED_TRACE(size);
    const std::string content = Pattern(size, 0);
    test::WriteBytes(folder.Path("source.raw"), content);
    std::unique_ptr<WholeFile> file = ReadWholeFile(path);
    ASSERT_NE(file, nullptr);
    const bool mapped = size >= (std::size_t{64} << 10);
    const HANDLE writer = OpenToWrite(path);
    EXPECT_EQ(writer != INVALID_HANDLE_VALUE, !mapped);
    if (writer != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(SetEndOfFile(writer));  // at its start: to zero bytes
      CloseHandle(writer);
    } else {
      EXPECT_FALSE(DeleteFileW(path.c_str()));
    }
    EXPECT_EQ(test::HeldText(*file), content);
    EXPECT_FALSE(file->Lost());
    file.reset();
    const HANDLE after = OpenToWrite(path);
    EXPECT_NE(after, INVALID_HANDLE_VALUE);
    if (after != INVALID_HANDLE_VALUE) CloseHandle(after);
  }
}

int gPassedOn = 0;

// The last handler: an in-page error that no earlier handler took is counted
// and ignored, as a test needs it to be.
LONG CALLBACK CountInPageErrors(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_IN_PAGE_ERROR) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  ++gPassedOn;
  return EXCEPTION_CONTINUE_EXECUTION;
}

// An in-page error at `address` as the system reports a read whose page could
// not be brought in (here: the device is gone).
void RaiseInPageError(const void* address) {
  const ULONG_PTR information[3] = {0, reinterpret_cast<ULONG_PTR>(address),
                                    static_cast<ULONG_PTR>(0xC000009DL)};
  RaiseException(EXCEPTION_IN_PAGE_ERROR, 0, 3, information);
}

// An in-page error inside a held view (its network file went away, say) turns
// that view into zeros, which the read goes on with, and Lost() says so; other
// views stay as they were, and an in-page error anywhere else is not ours.
TEST(Win32Files, InPageErrorOfAHeldViewTurnsItIntoZeros) {
  test::TempFolder folder;
  constexpr std::size_t kSize = std::size_t{1} << 20;
  test::WriteBytes(folder.Path("a.raw"), Pattern(kSize, 1));
  test::WriteBytes(folder.Path("b.raw"), Pattern(kSize, 2));
  std::unique_ptr<WholeFile> a = ReadWholeFile(folder.Wide("a.raw"));
  std::unique_ptr<WholeFile> b = ReadWholeFile(folder.Wide("b.raw"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  const PVOID last = AddVectoredExceptionHandler(0, CountInPageErrors);
  gPassedOn = 0;
  RaiseInPageError(a->Bytes().data() + kSize - 1);
  EXPECT_EQ(gPassedOn, 0);
  EXPECT_TRUE(a->Lost());
  EXPECT_FALSE(b->Lost());
  EXPECT_EQ(a->Bytes().size(), kSize);
  EXPECT_EQ(test::HeldText(*a), std::string(kSize, '\0'));
  EXPECT_EQ(test::HeldText(*b), Pattern(kSize, 2));
  int elsewhere = 0;
  RaiseInPageError(&elsewhere);
  RaiseInPageError(b->Bytes().data() + kSize);  // one past the view
  EXPECT_EQ(gPassedOn, 2);
  EXPECT_FALSE(b->Lost());
  RemoveVectoredExceptionHandler(last);
  a.reset();
  b.reset();
  const HANDLE free = OpenToWrite(folder.Wide("a.raw"));
  EXPECT_NE(free, INVALID_HANDLE_VALUE);
  if (free != INVALID_HANDLE_VALUE) CloseHandle(free);
  EXPECT_EQ(test::ReadBytes(folder.Path("a.raw")), Pattern(kSize, 1));
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
