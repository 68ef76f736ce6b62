// ReadWholeFile and WriteWholeFile on Linux.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/case_name.h"
#include "tests/support/child_process.h"
#include "tests/support/same_bytes.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

namespace fs = std::filesystem;

std::string AsString(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// ---- ReadWholeFile -----------------------------------------------------------

struct ReadRow {
  const char* what;
  std::string content;
};

class ReadWholeFileTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadWholeFileTest, ReadsEveryByte) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("source.raw"), GetParam().content);
  std::vector<std::uint8_t> bytes{1, 2, 3};
  ASSERT_EQ(ReadWholeFile(folder.Wide("source.raw"), bytes), ReadOutcome::Ok);
  EXPECT_SAME_BYTES(bytes, GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadWholeFileTest,
                         ::testing::Values(ReadRow{"empty", ""}, ReadRow{"four bytes", "duib"},
                                           ReadRow{"binary", std::string("duib\x05\0\xFF\r\n", 9)},
                                           ReadRow{"large", std::string(3 << 20, '\x5A')}),
                         test::CaseNamer());

TEST(ReadWholeFile, MissingFolderEmptyAndNulPathsFail) {
  test::TempFolder folder;
  std::vector<std::uint8_t> bytes{1};
  EXPECT_EQ(ReadWholeFile(folder.Wide("missing.raw"), bytes), ReadOutcome::OpenFailed);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadWholeFile(folder.WideFolder(), bytes), ReadOutcome::OpenFailed);
  EXPECT_EQ(ReadWholeFile(L"", bytes), ReadOutcome::OpenFailed);
  EXPECT_EQ(ReadWholeFile(std::wstring(L"a\0b", 3), bytes), ReadOutcome::OpenFailed);
}

TEST(ReadWholeFile, FifoAndDeviceAreRefusedWithoutBlocking) {
  test::TempFolder folder;
  ASSERT_EQ(::mkfifo(folder.Path("pipe").c_str(), 0600), 0);
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(folder.Wide("pipe"), bytes), ReadOutcome::OpenFailed);
  EXPECT_EQ(ReadWholeFile(L"/dev/null", bytes), ReadOutcome::OpenFailed);
}

// sysfs gives every attribute the size 4096 whatever it holds: a short read, and
// a read that fails (the speed of the loopback device has none), must end.
TEST(ReadWholeFile, FileShorterThanItsSizeOrUnreadableFails) {
  int tried = 0;
  for (const char* path : {"/sys/devices/system/cpu/online", "/sys/class/net/lo/speed"}) {
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != 4096) continue;
    ++tried;
    std::vector<std::uint8_t> bytes;
    errno = EINTR;  // stale: the short read must not be taken for an interrupted one
    EXPECT_EQ(ReadWholeFile(test::Widen(path), bytes), ReadOutcome::OpenFailed) << path;
  }
  if (tried == 0) GTEST_SKIP() << "no 4096-byte sysfs attribute to read";
}

TEST(ReadWholeFile, TwoGibibytesOrMoreFail) {
  test::TempFolder folder;
  const fs::path path = folder.Path("huge.raw");
  test::WriteBytes(path, "");
  std::error_code error;
  fs::resize_file(path, std::uintmax_t{1} << 31, error);  // sparse: no space used
  if (error) GTEST_SKIP() << "no sparse file: " << error.message();
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(folder.Wide("huge.raw"), bytes), ReadOutcome::OpenFailed);
  EXPECT_TRUE(bytes.empty());
}

TEST(ReadWholeFile, UnreadableFileFailsAndAnotherOwnersReadableFileIsRead) {
  test::TempFolder folder;
  fs::permissions(folder.Root(), fs::perms(0755));
  test::WriteBytes(folder.Path("secret.raw"), "duib\x05");
  fs::permissions(folder.Path("secret.raw"), fs::perms::none);
  test::WriteBytes(folder.Path("shared.raw"), "duib\x05");
  fs::permissions(folder.Path("shared.raw"), fs::perms(0444));
  const std::wstring path = folder.Wide("secret.raw");
  const std::wstring shared = folder.Wide("shared.raw");
  const int status = test::RunInChild([&] {
    if (!test::DropToUnprivilegedUser()) return 2;
    ::close(STDIN_FILENO);  // the source then gets descriptor 0, which is closed again
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(path, bytes) != ReadOutcome::OpenFailed || !bytes.empty()) return 1;
    // Somebody else's file, which the access time may not be kept on: read all the same.
    if (ReadWholeFile(shared, bytes) != ReadOutcome::Ok || bytes.size() != 5) return 3;
    return ::fcntl(STDIN_FILENO, F_GETFD) == -1 ? 0 : 4;
  });
  EXPECT_EQ(status, 0);
}

TEST(ReadWholeFile, ReadOnlyFileIsReadAndNothingOfItChanges) {
  test::TempFolder folder;
  const fs::path path = folder.Path("source.raw");
  test::WriteBytes(path, "duib\x05 content");
  fs::permissions(path, fs::perms(0444));
  // An access time older than the modification time: relatime would renew it.
  const timespec times[2] = {{1000000000, 0}, {1500000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(ReadWholeFile(folder.Wide("source.raw"), bytes), ReadOutcome::Ok);
  EXPECT_EQ(AsString(bytes), "duib\x05 content");

  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_atim.tv_sec, 1000000000) << "the access time is left alone";
  EXPECT_EQ(after.st_mtim.tv_sec, 1500000000);
  EXPECT_EQ(after.st_mode & 07777, 0444u);
}

// ---- WriteWholeFile ----------------------------------------------------------

TEST(WriteWholeFile, CreatesTheFileWithUmaskedMode) {
  test::TempFolder folder;
  const mode_t mask = ::umask(002);  // 0666 less this mask: a new file is no 0644
  const bool written = WriteWholeFile(folder.Wide("out.txt"), "abc\r\n");
  ::umask(mask);
  ASSERT_TRUE(written);
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "abc\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(folder.Path("out.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0664u);
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.txt"});
}

TEST(WriteWholeFile, ReplacesAnExistingFileCompletely) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("out.txt"), std::string(1000, 'o'));
  ASSERT_TRUE(WriteWholeFile(folder.Wide("out.txt"), "new"));
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "new");
  ASSERT_TRUE(WriteWholeFile(folder.Wide("out.txt"), ""));
  EXPECT_EQ(fs::file_size(folder.Path("out.txt")), 0u);
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.txt"});
}

TEST(WriteWholeFile, ReadOnlyTargetIsKept) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("out.txt"), "old");
  fs::permissions(folder.Path("out.txt"), fs::perms(0444));
  EXPECT_FALSE(WriteWholeFile(folder.Wide("out.txt"), "new"));
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "old");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.txt"});
}

TEST(WriteWholeFile, TargetWeMayNotWriteIsKept) {
  test::TempFolder folder;
  fs::permissions(folder.Root(), fs::perms(0777));
  test::WriteBytes(folder.Path("out.txt"), "old");
  fs::permissions(folder.Path("out.txt"), fs::perms(0600));
  if (::geteuid() != 0) GTEST_SKIP() << "needs a file owned by somebody else";
  const std::wstring path = folder.Wide("out.txt");
  const int status = test::RunInChild([&] {
    if (!test::DropToUnprivilegedUser()) return 2;
    return WriteWholeFile(path, "new") ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::ReadBytes(folder.Path("out.txt")), "old");
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"out.txt"});
}

struct WriteFailRow {
  const char* what;
  const char* target;  // relative to a folder holding the folder "dir" and the file "file"
};

class WriteWholeFileFailTest : public ::testing::TestWithParam<WriteFailRow> {};

TEST_P(WriteWholeFileFailTest, FailsAndLeavesEverythingAsItWas) {
  test::TempFolder folder;
  fs::create_directory(folder.Path("dir"));
  test::WriteBytes(folder.Path("file"), "keep");
  EXPECT_FALSE(WriteWholeFile(folder.Wide(GetParam().target), "new"));
  EXPECT_EQ(test::NamesIn(folder.Root()), (std::vector<std::string>{"dir", "file"}));
  EXPECT_TRUE(fs::is_empty(folder.Path("dir")));
  EXPECT_EQ(test::ReadBytes(folder.Path("file")), "keep");
}

INSTANTIATE_TEST_SUITE_P(Table, WriteWholeFileFailTest,
                         ::testing::Values(WriteFailRow{"folder missing", "missing/out.txt"},
                                           WriteFailRow{"target is a folder", "dir"},
                                           WriteFailRow{"target ends with slash", "dir/"},
                                           WriteFailRow{"file in the way", "file/out.txt"}),
                         test::CaseNamer());

TEST(WriteWholeFile, EmptyAndNulPathsFail) {
  EXPECT_FALSE(WriteWholeFile(L"", "x"));
  EXPECT_FALSE(WriteWholeFile(std::wstring(L"a\0b", 3), "x"));
}

// A file-size limit makes the write fail part way, with SIGXFSZ left at its
// default action, which would end the process: the old file stays, a new one does
// not appear, no temporary remains, and no SIGXFSZ is left pending or blocked. One
// that was pending (and blocked) before is the caller's, and stays.
TEST(WriteWholeFile, FailureHalfWayLeavesNoPartialFile) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("old.txt"), "old content");
  const std::wstring oldPath = folder.Wide("old.txt");
  const std::wstring newPath = folder.Wide("new.txt");
  for (const bool pendingBefore : {false, true}) {
    SCOPED_TRACE(pendingBefore ? "SIGXFSZ pending before" : "no signal before");
    const int status = test::RunInChild([&] {
      ::signal(SIGXFSZ, SIG_DFL);
      if (pendingBefore && !test::MakePending(SIGXFSZ)) return 2;
      const rlimit limit{4096, 4096};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
      const std::string big(64 * 1024, 'x');
      const bool replaced = WriteWholeFile(oldPath, big);
      const bool created = WriteWholeFile(newPath, big);
      const bool small = WriteWholeFile(folder.Wide("small.txt"), "fits");
      const bool asBefore = test::SignalStateAsBefore(SIGXFSZ, pendingBefore);
      return (!replaced && !created && small && asBefore) ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "-1: killed by a signal";
  }
  EXPECT_EQ(test::ReadBytes(folder.Path("old.txt")), "old content");
  EXPECT_EQ(test::NamesIn(folder.Root()), (std::vector<std::string>{"old.txt", "small.txt"}));
}

TEST(WriteWholeFile, RelativePathWritesIntoTheCurrentFolder) {
  test::TempFolder folder;
  char previous[4096] = {};
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(folder.Root().c_str()), 0);
  const bool written = WriteWholeFile(L"rel.txt", "r");
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_TRUE(written);
  EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{"rel.txt"});
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
