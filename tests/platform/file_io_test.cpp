// ReadWholeFile and WriteWholeFile on Linux.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/block_memory.h"
#include "platform/platform.h"
#include "platform/source_file.h"
#include "tests/platform/held_text.h"
#include "tests/support/case_name.h"
#include "tests/support/child_process.h"
#include "tests/support/same_bytes.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

namespace fs = std::filesystem;

using test::DropToUnprivilegedUser;
using test::HeldText;
using test::RunInChild;

// `size` bytes in which no byte stands where a shifted copy would put the same
// byte (251 is prime and no power of two).
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

// ---- ReadWholeFile -----------------------------------------------------------

struct ReadRow {
  const char* what;
  std::string content;
};

class ReadWholeFileTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadWholeFileTest, ReadsEveryByte) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("source.raw"), GetParam().content);
  const std::unique_ptr<WholeFile> file = ReadWholeFile(folder.Wide("source.raw"));
  ASSERT_NE(file, nullptr);
  EXPECT_SAME_BYTES(HeldText(*file), GetParam().content);
  EXPECT_FALSE(file->Lost());
}

INSTANTIATE_TEST_SUITE_P(Table, ReadWholeFileTest,
                         ::testing::Values(ReadRow{"empty", ""}, ReadRow{"four bytes", "duib"},
                                           ReadRow{"binary", std::string("duib\x05\0\xFF\r\n", 9)},
                                           ReadRow{"large", std::string(3 << 20, '\x5A')},
                                           // Either side of a copy of its own, and past a
                                           // large page
                                           ReadRow{"heap copy", Pattern(128 * kKiB - 1)},
                                           ReadRow{"own pages", Pattern(128 * kKiB)},
                                           ReadRow{"past a large page", Pattern(2 * kMiB + 1)}),
                         test::CaseNamer());

// What is held is tamro's own: another process that writes into the file or cuts
// it short afterwards changes nothing the converter reads, and no read of it can
// fault.
TEST(ReadWholeFile, HeldBytesStayWhenTheFileIsRewrittenOrCutShort) {
  for (const std::size_t size : {std::size_t{4096}, 3 * kMiB}) {
    SCOPED_TRACE(size);
    test::TempFolder folder;
    const std::string content = Pattern(size);
    test::WriteBytes(folder.Path("source.raw"), content);
    const std::unique_ptr<WholeFile> file = ReadWholeFile(folder.Wide("source.raw"));
    ASSERT_NE(file, nullptr);
    const int writer = ::open(folder.Path("source.raw").c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::pwrite(writer, "XXXX", 4, static_cast<off_t>(size / 2)), 4);
    ASSERT_EQ(::ftruncate(writer, 0), 0);
    ::close(writer);
    EXPECT_SAME_BYTES(HeldText(*file), content);
    EXPECT_FALSE(file->Lost());
  }
}

// A source cut short between being measured and being read fails, as any
// short read does, with nothing held.
TEST(ReadWholeFile, SourceCutShortBeforeItIsReadFails) {
  for (const std::size_t size : {std::size_t{4096}, 3 * kMiB}) {
    SCOPED_TRACE(size);
    test::TempFolder folder;
    test::WriteBytes(folder.Path("source.raw"), Pattern(size));
    const std::unique_ptr<SourceFile> source =
        SourceFile::Open(folder.Wide("source.raw"), SourceFile::Sharing::Exclusive);
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(source->Size(), std::optional<std::uint64_t>(size));
    fs::resize_file(folder.Path("source.raw"), size - 1);
    EXPECT_EQ(source->Hold(size), nullptr);
    EXPECT_NE(source->Hold(size - 1), nullptr);
  }
}

// Memory for copies: every byte of it usable, a large copy on pages of its own
// that start on a large page, and owned by one object at a time.
TEST(FileMemory, HoldsEveryByteAndLargeCopiesStartOnALargePage) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, 128 * kKiB - 1, 128 * kKiB,
                                 2 * kMiB, 2 * kMiB + 1, 5 * kMiB}) {
    SCOPED_TRACE(size);
    FileMemory memory = FileMemory::Allocate(size);
    ASSERT_NE(memory.data(), nullptr);
    ASSERT_EQ(memory.size(), size);
    const std::string pattern = Pattern(size);
    std::copy(pattern.begin(), pattern.end(), memory.data());
    EXPECT_SAME_BYTES(std::string(reinterpret_cast<const char*>(memory.data()), size), pattern);
    const auto address = reinterpret_cast<std::uintptr_t>(memory.data());
    if (size >= 128 * kKiB) {
      EXPECT_EQ(address % (2 * kMiB), 0u);
    }
    FileMemory moved = std::move(memory);
    EXPECT_EQ(memory.data(), nullptr);
    EXPECT_EQ(memory.size(), 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(moved.data()), address);
    EXPECT_EQ(moved.size(), size);
    FileMemory other = FileMemory::Allocate(1);
    other = std::move(moved);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(other.data()), address);
  }
}

// Whether some mapping of this process holds `address` (/proc/self/maps).
bool Mapped(const void* address) {
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  std::ifstream maps("/proc/self/maps");
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
  char dash = 0;
  std::string rest;
  while (maps >> std::hex >> begin >> dash >> end && std::getline(maps, rest)) {
    if (at >= begin && at < end) return true;
  }
  return false;
}

// In a batch the pages of a large copy given back serve the next large copy that
// fits in them, once; the batch's end gives them back to the system.
TEST(FileMemory, ABatchKeepsTheLastLargeRegionForTheNextCopy) {
  const std::uint8_t* kept = nullptr;
  const std::uint8_t* last = nullptr;
  {
    BatchScope batch;
    FileMemory first = FileMemory::Allocate(3 * kMiB);
    ASSERT_NE(first.data(), nullptr);
    kept = first.data();
    first = FileMemory();
    FileMemory second = FileMemory::Allocate(1 * kMiB);
    EXPECT_EQ(second.data(), kept);
    FileMemory third = FileMemory::Allocate(1 * kMiB);
    EXPECT_NE(third.data(), kept);
    EXPECT_NE(third.data(), nullptr);
    second = FileMemory();
    third = FileMemory();  // smaller than the spare, which stays
    FileMemory larger = FileMemory::Allocate(5 * kMiB);
    EXPECT_NE(larger.data(), kept);
    EXPECT_TRUE(Mapped(kept));
    last = larger.data();
    larger = FileMemory();  // larger than the spare, which it replaces
    EXPECT_FALSE(Mapped(kept));
    EXPECT_TRUE(Mapped(last));
  }
  EXPECT_FALSE(Mapped(last));
}

// A large block is one stretch reserved once, aligned for 2 MiB pages, that the
// format's 4 GiB never outgrow; it is never moved, and it is given back whole.
// Where no such stretch can be reserved, the heap gives the block.
TEST(LargeBlockMemory, ReservesOneAlignedStretchOrFallsBackToTheHeap) {
  const BlockMemory& memory = LargeBlockMemory();
  const Block block = memory.Grow(Block(), 0, 4096);
  ASSERT_NE(block.data, nullptr);
  EXPECT_EQ(block.owner, &memory);
  EXPECT_GT(block.capacity, std::size_t{4} << 30);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data) % (2 * kMiB), 0u);
  const std::string pattern = Pattern(5 * kMiB + 3);
  std::copy(pattern.begin(), pattern.end(), block.data);
  EXPECT_SAME_BYTES(std::string(reinterpret_cast<const char*>(block.data), pattern.size()),
                    pattern);
  EXPECT_EQ(memory.Grow(block, pattern.size(), block.capacity + 1).data, nullptr);
  EXPECT_TRUE(Mapped(block.data + block.capacity - 1));
  memory.Release(block);
  EXPECT_FALSE(Mapped(block.data));
  EXPECT_FALSE(Mapped(block.data + block.capacity - 1));

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the sanitizer's allocator aborts at an address-space limit";
#endif
#endif
  const int status = RunInChild([&] {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    if (!(statm >> pages)) return 2;
    const rlim_t room = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) + (256u << 20);
    const rlimit limit{room, room};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) return 2;
    const Block heap = memory.Grow(Block(), 0, 4096);
    if (heap.data == nullptr || heap.owner != &HeapMemory()) return 1;
    heap.data[4095] = 1;
    heap.owner->Release(heap);
    return 0;
  });
  EXPECT_EQ(status, 0);
}

TEST(ReadWholeFile, MissingFolderEmptyAndNulPathsFail) {
  test::TempFolder folder;
  EXPECT_EQ(ReadWholeFile(folder.Wide("missing.raw")), nullptr);
  EXPECT_EQ(ReadWholeFile(folder.WideFolder()), nullptr);
  EXPECT_EQ(ReadWholeFile(L""), nullptr);
  EXPECT_EQ(ReadWholeFile(std::wstring(L"a\0b", 3)), nullptr);
}

TEST(ReadWholeFile, FifoAndDeviceAreRefusedWithoutBlocking) {
  test::TempFolder folder;
  ASSERT_EQ(::mkfifo(folder.Path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(folder.Wide("pipe")), nullptr);
  EXPECT_EQ(ReadWholeFile(L"/dev/null"), nullptr);
}

// sysfs gives every attribute the size 4096 whatever it holds: a short read, and
// a read that fails (the speed of the loopback device has none), must end.
TEST(ReadWholeFile, FileShorterThanItsSizeOrUnreadableFails) {
  int tried = 0;
  for (const char* path : {"/sys/devices/system/cpu/online", "/sys/class/net/lo/speed"}) {
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != 4096) continue;
    ++tried;
    errno = EINTR;  // stale: the short read must not be taken for an interrupted one
    EXPECT_EQ(ReadWholeFile(test::Widen(path)), nullptr) << path;
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
  EXPECT_EQ(ReadWholeFile(folder.Wide("huge.raw")), nullptr);
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
    if (ReadWholeFile(path) != nullptr) return 1;
    // Somebody else's file, which the access time may not be kept on: read all the same.
    const std::unique_ptr<WholeFile> file = ReadWholeFile(shared);
    if (file == nullptr || file->Bytes().size() != 5) return 3;
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

  const std::unique_ptr<WholeFile> file = ReadWholeFile(folder.Wide("source.raw"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(HeldText(*file), "duib\x05 content");

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
// that was pending (and blocked) before is the caller's, and stays. In a batch,
// which holds the signal for all its writes, the item's end takes off what its
// writes raised, and the batch's end restores the mask.
TEST(WriteWholeFile, FailureHalfWayLeavesNoPartialFile) {
  test::TempFolder folder;
  test::WriteBytes(folder.Path("old.txt"), "old content");
  const std::wstring oldPath = folder.Wide("old.txt");
  const std::wstring newPath = folder.Wide("new.txt");
  for (const bool inBatch : {false, true}) {
    for (const bool pendingBefore : {false, true}) {
      SCOPED_TRACE(pendingBefore ? "SIGXFSZ pending before" : "no signal before");
      SCOPED_TRACE(inBatch ? "in a batch" : "alone");
      const int status = RunInChild([&] {
        ::signal(SIGXFSZ, SIG_DFL);
        if (pendingBefore && !test::MakePending(SIGXFSZ)) return 2;
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        std::optional<BatchScope> batch;
        if (inBatch) batch.emplace();
        const std::string big(64 * 1024, 'x');
        const bool replaced = WriteWholeFile(oldPath, big);
        const bool created = WriteWholeFile(newPath, big);
        const bool small = WriteWholeFile(folder.Wide("small.txt"), "fits");
        if (batch) {
          batch->ItemDone();
          if (test::IsPending(SIGXFSZ) != pendingBefore) return 3;
          batch.reset();
        }
        const bool asBefore = test::SignalStateAsBefore(SIGXFSZ, pendingBefore);
        return (!replaced && !created && small && asBefore) ? 0 : 1;
      });
      EXPECT_EQ(status, 0) << "-1: killed by a signal";
    }
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
