// SameFile, PathExists, EnsureFolder and FindEntries on Linux.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/platform/find_all.h"
#include "tests/platform/held_text.h"
#include "tests/support/case_name.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

namespace fs = std::filesystem;

// ---- SameFile ----------------------------------------------------------------

struct SameRow {
  const char* what;
  const char* other;  // beside "source.raw" (and "link.raw", a hard link to it)
  bool same;
};

class SameFileTest : public ::testing::TestWithParam<SameRow> {};

// The same answers alone and in a batch, which keeps its test of the second path
// for the output file.
TEST_P(SameFileTest, OneFileByAnyPath) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("source.raw"), "s");
  test::WriteBytes(folder.Path("other.raw"), "s");
  fs::create_hard_link(folder.Path("source.raw"), folder.Path("link.raw"));
  fs::create_symlink("source.raw", folder.Path("symlink.raw"));
  for (const bool inBatch : {false, true}) {
    SCOPED_TRACE(inBatch ? "in a batch" : "alone");
    std::optional<BatchScope> batch;
    if (inBatch) batch.emplace();
    EXPECT_EQ(SameFile(folder.Wide("source.raw"), folder.Wide(GetParam().other)), GetParam().same);
    EXPECT_EQ(SameFile(folder.Wide(GetParam().other), folder.Wide("source.raw")), GetParam().same);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, SameFileTest,
                         ::testing::Values(SameRow{"itself", "source.raw", true},
                                           SameRow{"hard link", "link.raw", true},
                                           SameRow{"symbolic link", "symlink.raw", true},
                                           SameRow{"by a dot", "./source.raw", true},
                                           SameRow{"another file", "other.raw", false},
                                           SameRow{"missing", "missing.raw", false},
                                           SameRow{"the folder", ".", false}),
                         test::CaseNamer());

// ---- PathExists --------------------------------------------------------------

TEST(PathExists, ExistingFileAndFolderGiveZero) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("file.raw"), "x");
  EXPECT_EQ(PathExists(folder.Wide("file.raw")), std::error_code());
  EXPECT_EQ(PathExists(folder.WideFolder()), std::error_code());
  EXPECT_EQ(PathExists(L"/"), std::error_code());
}

TEST(PathExists, MissingPathGivesErrnoCode) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("file.raw"), "x");
  EXPECT_EQ(PathExists(folder.Wide("missing.raw")),
            std::make_error_code(std::errc::no_such_file_or_directory));
  EXPECT_EQ(PathExists(folder.Wide("missing/x")),
            std::make_error_code(std::errc::no_such_file_or_directory));
  EXPECT_EQ(PathExists(folder.Wide("file.raw/x")),
            std::make_error_code(std::errc::not_a_directory));
  EXPECT_NE(PathExists(L""), std::error_code());
  EXPECT_NE(PathExists(std::wstring(L"a\0b", 3)), std::error_code());
}

// ---- EnsureFolder ------------------------------------------------------------

TEST(EnsureFolder, CreatesAllMissingParents) {
  test::TempFolder folder;
  const mode_t mask = ::umask(002);  // 0777 less this mask: no folder is made 0755
  EXPECT_EQ(EnsureFolder(folder.Wide("a/b/c/")), std::error_code());
  ::umask(mask);
  EXPECT_TRUE(fs::is_directory(folder.Path("a/b/c")));
  for (const char* made : {"a", "a/b/c"}) {
    EXPECT_EQ(fs::status(folder.Path(made)).permissions(), static_cast<fs::perms>(0775)) << made;
  }
  EXPECT_EQ(EnsureFolder(folder.Wide("x/y")), std::error_code());
  EXPECT_TRUE(fs::is_directory(folder.Path("x/y")));
}

TEST(EnsureFolder, ExistingFolderGivesZeroAndChangesNothing) {
  test::TempFolder folder;
  fs::create_directory(folder.Path("d"));
  test::WriteBytes(folder.Path("d/keep"), "k");
  EXPECT_EQ(EnsureFolder(folder.Wide("d/")), std::error_code());
  EXPECT_EQ(EnsureFolder(folder.Wide("d")), std::error_code());
  EXPECT_EQ(EnsureFolder(L"/"), std::error_code());
  EXPECT_EQ(test::NamesIn(folder.Path("d")), std::vector<std::string>{"keep"});
}

struct BlockedRow {
  const char* what;
  const char* folder;  // relative to the test folder, which holds the file "file"
  std::errc code;      // file_exists when the last component is the file, else not_a_directory
};

class EnsureFolderBlockedTest : public ::testing::TestWithParam<BlockedRow> {};

TEST_P(EnsureFolderBlockedTest, FailsAndCreatesNothing) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("file"), "content");
  EXPECT_EQ(EnsureFolder(folder.Wide(GetParam().folder)), std::make_error_code(GetParam().code));
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"file"});
  EXPECT_EQ(test::ReadBytes(folder.Path("file")), "content");
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnsureFolderBlockedTest,
    ::testing::Values(BlockedRow{"names a file", "file", std::errc::file_exists},
                      BlockedRow{"names a file with slash", "file/", std::errc::not_a_directory},
                      BlockedRow{"file in the way", "file/sub/deeper", std::errc::not_a_directory},
                      BlockedRow{"dot dot back to the file", "new/../file", std::errc::file_exists},
                      BlockedRow{"made folders removed again", "new/deeper/../../file/sub",
                                 std::errc::not_a_directory}),
    test::CaseNamer());

// mkdir -p on the text as written: each component where the kernel resolves it,
// and PathExists of the same text agrees. In a folder with real/deep and
// link -> real/deep.
TEST(EnsureFolder, MakesEachComponentWhereTheKernelResolvesIt) {
  test::TempFolder folder;
  fs::create_directories(folder.Path("real/deep"));
  fs::create_directory_symlink(folder.Path("real/deep"), folder.Path("link"));
  for (const char* made : {"nosuch/../made/", "link/../newdest/"}) {
    EXPECT_EQ(EnsureFolder(folder.Wide(made)), std::error_code()) << made;
    EXPECT_EQ(PathExists(folder.Wide(made)), std::error_code()) << made;
  }
  EXPECT_EQ(test::NamesIn(folder.Root()),
            (std::vector<std::string>{"link", "made", "nosuch", "real"}));
  EXPECT_EQ(test::NamesIn(folder.Path("real")), (std::vector<std::string>{"deep", "newdest"}));
}

TEST(EnsureFolder, RelativePathIsResolvedAgainstTheCurrentFolder) {
  test::TempFolder folder;
  char previous[PATH_MAX + 1] = {};
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(folder.Root().c_str()), 0);
  const std::error_code result = EnsureFolder(L"rel/sub/");
  const std::error_code oneLetter = EnsureFolder(L"r/s");  // a first component of one byte
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_EQ(result, std::error_code());
  EXPECT_EQ(oneLetter, std::error_code());
  EXPECT_TRUE(fs::is_directory(folder.Path("rel/sub")));
  EXPECT_TRUE(fs::is_directory(folder.Path("r/s")));
}

TEST(EnsureFolder, EmptyPathFails) {
  EXPECT_NE(EnsureFolder(L""), std::error_code());
}

// ---- FindEntries -------------------------------------------------------------

class FindEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.raw", "b.raw", "B.raw", "ab.raw", "c.bin", "data", "a.raw.bak",
                             ".hidden.raw", "x?y"}) {
      test::WriteBytes(folder_.Path(name), name);
    }
    fs::create_directory(folder_.Path("sub.raw"));
    fs::create_directory_symlink(folder_.Path("sub.raw"), folder_.Path("linkdir.raw"));
    fs::create_symlink(folder_.Path("a.raw"), folder_.Path("linkfile.raw"));
    fs::create_symlink(folder_.Path("gone"), folder_.Path("dangling.raw"));
  }

  // "name" for files, "name/" for entries flagged as folders.
  std::vector<std::string> Find(const std::string& mask) const {
    std::vector<std::string> found;
    for (const FoundEntry& entry : test::FindAll(folder_.Wide(mask))) {
      std::string name(entry.name.begin(), entry.name.end());
      found.push_back(entry.isDirectory ? name + "/" : name);
    }
    return found;
  }

  test::TempFolder folder_;
};

using Names = std::vector<std::string>;

TEST_F(FindEntriesTest, StarDotRawInByteOrderWithFoldersFlagged) {
  EXPECT_EQ(Find("*.raw"), (Names{".hidden.raw", "B.raw", "a.raw", "ab.raw", "b.raw",
                                  "dangling.raw", "linkdir.raw/", "linkfile.raw", "sub.raw/"}));
}

TEST_F(FindEntriesTest, MaskTable) {
  EXPECT_EQ(Find("a.raw"), (Names{"a.raw"}));
  EXPECT_EQ(Find("A.RAW"), Names{}) << "matching is case-sensitive";
  EXPECT_EQ(Find("?.raw"), (Names{"B.raw", "a.raw", "b.raw"}));
  EXPECT_EQ(Find("??.raw"), (Names{"ab.raw"}));
  EXPECT_EQ(Find("a*"), (Names{"a.raw", "a.raw.bak", "ab.raw"}));
  EXPECT_EQ(Find("*a*.r?w"), (Names{"a.raw", "ab.raw", "dangling.raw"}));
  EXPECT_EQ(Find("*.*.*"), (Names{"../", ".hidden.raw", "a.raw.bak"}));
  EXPECT_EQ(Find("data"), (Names{"data"}));
  EXPECT_EQ(Find("data*"), (Names{"data"}));
  EXPECT_EQ(Find("*.bin"), (Names{"c.bin"}));
  EXPECT_EQ(Find("x?y"), (Names{"x?y"}));
  EXPECT_EQ(Find("*.none"), Names{});
  EXPECT_EQ(Find("**"), Find("*"));
}

TEST_F(FindEntriesTest, StarListsEverythingIncludingDotEntriesAsFolders) {
  const Names all = Find("*");
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[0], "./");
  EXPECT_EQ(all[1], "../");
  EXPECT_EQ(all.size(), 2u + 13u);
  std::vector<std::wstring> names;
  for (const FoundEntry& entry : test::FindAll(folder_.Wide("*"))) names.push_back(entry.name);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST_F(FindEntriesTest, MissingFolderOrEmptyMaskGivesNothing) {
  EXPECT_TRUE(test::FindAll(folder_.Wide("missing/*.raw")).empty());
  EXPECT_TRUE(test::FindAll(folder_.Wide("a.raw/*")).empty());
  EXPECT_TRUE(test::FindAll(folder_.WideFolder()).empty());
  EXPECT_TRUE(test::FindAll(folder_.Wide("s*/*.raw")).empty()) << "no wild cards in the folder";
}

TEST_F(FindEntriesTest, PatternWithoutFolderSearchesTheCurrentFolder) {
  char previous[PATH_MAX + 1] = {};
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(folder_.Root().c_str()), 0);
  const std::vector<FoundEntry> found = test::FindAll(L"?.bin");
  ASSERT_EQ(::chdir(previous), 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, L"c.bin");
  EXPECT_FALSE(found[0].isDirectory);
}

// Only the exact form of an output's temporary name is left out of a search.
TEST(FindEntries, LeavesOutTemporaryOutputFilesOnly) {
  test::TempFolder folder;
  for (const char* name :
       {".tamro-0123456789abcdef.tmp", ".tamro-0123456789abcdeg.tmp", ".tamro-0123456789abcde.tmp",
        ".tamro-0123456789ABCDEF.tmp", ".tamro-0123456789abcdef0.tmp", "tamro-0123456789abcdef.tmp",
        ".tamro-0123456789abcdef.txt"}) {
    test::WriteBytes(folder.Path(name), "x");
  }
  std::vector<std::string> listed;
  for (const FoundEntry& entry : test::FindAll(folder.Wide("*tamro-*"))) {
    listed.emplace_back(entry.name.begin(), entry.name.end());
  }
  EXPECT_EQ(listed, (std::vector<std::string>{
                        ".tamro-0123456789ABCDEF.tmp", ".tamro-0123456789abcde.tmp",
                        ".tamro-0123456789abcdef.txt", ".tamro-0123456789abcdef0.tmp",
                        ".tamro-0123456789abcdeg.tmp", "tamro-0123456789abcdef.tmp"}));
}

TEST(FindEntries, NamesThatAreNotUtf8RoundTripToTheFile) {
  test::TempFolder folder;
  const std::string name = "caf\xE9.raw";  // Latin-1, not UTF-8
  test::WriteBytes(folder.Root() / name, "bytes");
  const std::vector<FoundEntry> found = test::FindAll(folder.Wide("*.raw"));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, std::wstring(L"caf") + wchar_t(0x1100E9) + L".raw");
  const std::unique_ptr<WholeFile> file = ReadWholeFile(folder.WideFolder() + found[0].name);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(test::HeldText(*file), "bytes");
}

TEST(FindEntries, Utf8NamesDecodeToTheirCharacters) {
  test::TempFolder folder;
  test::WriteBytes(folder.Root() / "\xE4\xB8\xAD.raw", "x");
  const std::vector<FoundEntry> found = test::FindAll(folder.Wide("?.raw"));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, L"\u4E2D.raw");
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
