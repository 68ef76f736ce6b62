// OutputFile on Linux: a temporary file renamed over the target, or the target
// written in place where the folder takes no new file.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/platform/find_all.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

namespace fs = std::filesystem;

// The descriptor that the next open gets: the lowest one not in use.
int NextDescriptor() {
  const int fd = ::open("/dev/null", O_RDONLY);
  if (fd >= 0) ::close(fd);
  return fd;
}

TEST(OutputFile, PiecesStandUnderThePathOnlyAfterCommit) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("out.txt"), "old");
  const int free = NextDescriptor();
  std::unique_ptr<OutputFile> file = OutputFile::Create(folder.Wide("out.txt"));
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("<a>\r\n"));
  EXPECT_TRUE(file->Write(""));
  EXPECT_TRUE(file->Write("</a>\r\n"));
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "old");
  // The temporary file is there, but no search lists it.
  EXPECT_EQ(test::NamesIn(folder.Root()).size(), 2u);
  std::vector<std::wstring> listed;
  for (const FoundEntry& entry : test::FindAll(folder.Wide("*"))) listed.push_back(entry.name);
  EXPECT_EQ(listed, (std::vector<std::wstring>{L".", L"..", L"out.txt"}));
  EXPECT_TRUE(file->Commit());
  EXPECT_EQ(NextDescriptor(), free);  // the commit closed the file
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "<a>\r\n</a>\r\n");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.txt"});
  EXPECT_FALSE(file->Commit());
}

TEST(OutputFile, DestroyedWithoutCommitLeavesEverythingAsItWas) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("old.txt"), "old");
  for (const char* name : {"old.txt", "new.txt"}) {
    std::unique_ptr<OutputFile> file = OutputFile::Create(folder.Wide(name));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Write("part"));
  }
  EXPECT_EQ(test::ReadBytes(folder.Path("old.txt")), "old");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"old.txt"});
}

// A rename that fails (a folder took the target's place meanwhile) fails the
// commit, and the temporary file goes with the object. Its descriptor is closed
// once: descriptor 0, which is not the file's, stays open.
TEST(OutputFile, CommitFailsWhenTheTargetCannotBeReplaced) {
  test::TempFolder folder;
  if (::fcntl(STDIN_FILENO, F_GETFD) == -1) {
    ASSERT_EQ(::open("/dev/null", O_RDONLY), 0);
  }
  {
    std::unique_ptr<OutputFile> file = OutputFile::Create(folder.Wide("out.txt"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Write("text"));
    fs::create_directory(folder.Path("out.txt"));
    test::WriteBytes(folder.Path("out.txt/inside"), "x");
    EXPECT_FALSE(file->Commit());
  }
  EXPECT_NE(::fcntl(STDIN_FILENO, F_GETFD), -1);
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.txt"});
  EXPECT_TRUE(fs::is_directory(folder.Path("out.txt")));
  // A folder already there is refused at once, before any text is made for it.
  EXPECT_EQ(OutputFile::Create(folder.Wide("out.txt")), nullptr);
}

// A replaced output keeps the permission bits of the file it replaces, whatever
// the umask; a new one gets 0666 less the umask.
TEST(OutputFile, ReplacedFileKeepsItsPermissionBits) {
  test::TempFolder folder;
  const mode_t mask = ::umask(022);
  for (const mode_t mode : {0600, 0640, 0604, 0660, 0777}) {
    test::WriteBytes(folder.Path("out.txt"), "old");
    ::chmod(folder.Path("out.txt").c_str(), mode);
    EXPECT_TRUE(WriteWholeFile(folder.Wide("out.txt"), "new"));
    struct stat info {};
    ASSERT_EQ(::stat(folder.Path("out.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
  }
  ::umask(mask);
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "new");
}

// In a folder where no file can be made, a writable output is written in place
// (the same file, its bits and all); a write that fails there, here at the
// file-size limit, leaves the file empty rather than holding part of a text. A
// missing output cannot be made at all, nor one that refuses to be opened for
// writing (append-only, where chattr can make it so), nor a FIFO.
TEST(OutputFile, WritesInPlaceWhereTheFolderTakesNoNewFile) {
  test::TempFolder folder;
  fs::create_directory(folder.Path("locked"));
  for (const char* name : {"out.txt", "fail.txt", "append.txt"}) {
    test::WriteBytes(folder.Path("locked") / name, "old content");
    fs::permissions(folder.Path("locked") / name, fs::perms(0666));
  }
  const auto chattr = [&](const std::string& flag) {
    const std::string path = folder.Path("locked/append.txt").string();
    return std::system(("chattr " + flag + " '" + path + "' 2>/dev/null").c_str()) == 0;
  };
  const bool appendOnly = chattr("+a");
  ASSERT_EQ(::mkfifo(folder.Path("locked/pipe.txt").c_str(), 0666), 0);
  fs::permissions(folder.Path("locked/pipe.txt"), fs::perms(0666));  // whatever the umask
  fs::permissions(folder.Path("locked"), fs::perms(0555));
  struct stat before {};
  ASSERT_EQ(::stat(folder.Path("locked/out.txt").c_str(), &before), 0);
  const std::wstring out = folder.Wide("locked/out.txt");
  const std::wstring fail = folder.Wide("locked/fail.txt");
  const std::wstring missing = folder.Wide("locked/missing.txt");
  const std::wstring append = folder.Wide("locked/append.txt");
  const std::wstring pipe = folder.Wide("locked/pipe.txt");
  const int status = test::RunInChild([&] {
    if (!test::DropToUnprivilegedUser()) return 2;
    if (!WriteWholeFile(out, "first")) return 8;  // on a descriptor past the standard ones
    ::close(STDIN_FILENO);  // the file written in place then gets descriptor 0
    if (!WriteWholeFile(out, "new") || OutputFile::Create(missing)) return 3;
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1) return 7;  // and closed again
    if (appendOnly && OutputFile::Create(append)) return 5;
    if (OutputFile::Create(pipe)) return 6;  // no regular file to write in place
    const rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    return WriteWholeFile(fail, std::string(64 * 1024, 'x')) ? 4 : 0;
  });
  if (appendOnly) chattr("-a");
  fs::permissions(folder.Path("locked"), fs::perms(0755));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::ReadBytes(folder.Path("locked/out.txt")), "new");
  EXPECT_EQ(test::ReadBytes(folder.Path("locked/fail.txt")), "");
  EXPECT_EQ(test::ReadBytes(folder.Path("locked/append.txt")), "old content");
  struct stat after {};
  ASSERT_EQ(::stat(folder.Path("locked/out.txt").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0666u);
  EXPECT_EQ(test::NamesIn(folder.Path("locked")),
            (std::vector<std::string>{"append.txt", "fail.txt", "out.txt", "pipe.txt"}));
}

// In a batch an item asks whether its output is its source, then creates the
// output: the output's path is tested once, and that test serves the one call that
// follows for the same path, in the same item, and nothing else.
TEST(OutputFile, ABatchTestsTheOutputPathOnceForItsOwnItem) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("source.raw"), "s");
  test::WriteBytes(folder.Path("locked.txt"), "old");
  fs::permissions(folder.Path("locked.txt"), fs::perms(0444));
  const std::wstring source = folder.Wide("source.raw");
  BatchScope batch;
  // Kept and used: a read-only output stays, a missing one is made.
  EXPECT_FALSE(SameFile(source, folder.Wide("locked.txt")));
  EXPECT_EQ(OutputFile::Create(folder.Wide("locked.txt")), nullptr);
  batch.ItemDone();
  EXPECT_FALSE(SameFile(source, folder.Wide("fresh.txt")));
  EXPECT_TRUE(WriteWholeFile(folder.Wide("fresh.txt"), "fresh"));
  batch.ItemDone();
  // Not for another path: the test of a missing file says nothing of locked.txt.
  EXPECT_FALSE(SameFile(source, folder.Wide("other.txt")));
  EXPECT_EQ(OutputFile::Create(folder.Wide("locked.txt")), nullptr);
  batch.ItemDone();
  // Not for the next item: meanwhile the missing file became a read-only one.
  EXPECT_FALSE(SameFile(source, folder.Wide("later.txt")));
  batch.ItemDone();
  test::WriteBytes(folder.Path("later.txt"), "old");
  fs::permissions(folder.Path("later.txt"), fs::perms(0444));
  EXPECT_EQ(OutputFile::Create(folder.Wide("later.txt")), nullptr);
  // Nor for a second call of the same item.
  EXPECT_FALSE(SameFile(source, folder.Wide("twice.txt")));
  EXPECT_TRUE(WriteWholeFile(folder.Wide("twice.txt"), "first"));
  fs::permissions(folder.Path("twice.txt"), fs::perms(0444));
  EXPECT_EQ(OutputFile::Create(folder.Wide("twice.txt")), nullptr);

  EXPECT_EQ(test::ReadBytes(folder.Path("locked.txt")), "old");
  EXPECT_EQ(test::ReadBytes(folder.Path("fresh.txt")), "fresh");
  EXPECT_EQ(test::ReadBytes(folder.Path("later.txt")), "old");
  EXPECT_EQ(test::ReadBytes(folder.Path("twice.txt")), "first");
  EXPECT_EQ(test::NamesIn(folder.Root()),
            (std::vector<std::string>{"fresh.txt", "later.txt", "locked.txt", "source.raw",
                                      "twice.txt"}));
}

TEST(OutputFile, WritesAfterAFailureDoNothing) {
  test::TempFolder folder;
  const std::wstring path = folder.Wide("out.txt");
  const int status = test::RunInChild([&] {
    const rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    std::unique_ptr<OutputFile> file = OutputFile::Create(path);
    if (!file || file->Write(std::string(8192, 'x'))) return 3;
    return (!file->Write("y") && !file->Commit()) ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(test::NamesIn(folder.Root()).empty());
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
