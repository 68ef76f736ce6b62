// Output files on Linux: written to a temporary file beside the target and renamed
// over it, or, in a folder where no file can be made, written in place.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/posix/batch_state.h"
#include "platform/posix/held_write.h"
#include "platform/posix/native_text.h"
#include "platform/temporary_name.h"

namespace tamro::platform {
namespace {

constexpr int kWriteFlags = O_WRONLY | O_CLOEXEC | O_NOCTTY;

// Windows will not replace a read-only file. Here that is a file we may not write
// to, or one that nobody may write to (which root could write all the same).
bool MayReplace(const std::string& target, const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return false;
  return ::access(target.c_str(), W_OK) == 0 && (info.st_mode & 0222) != 0;
}

std::uint64_t ProcessId() {
  const posix::BatchState* batch = posix::ActiveBatch();
  return batch != nullptr ? batch->processId : static_cast<std::uint64_t>(::getpid());
}

std::uint64_t ClockTicks() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return (static_cast<std::uint64_t>(now.tv_sec) << 20) ^ static_cast<std::uint64_t>(now.tv_nsec);
}

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(std::string target) : target_(std::move(target)) {}
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;
  ~PosixOutputFile() override {
    if (!committed_) Discard();
  }

  // The temporary file, or the target itself when none can be made beside it.
  bool Open(const std::optional<struct stat>& existing) {
    opened_ = CreateTemporary(existing) || (existing && OpenInPlace(*existing));
    return opened_;
  }

  bool Write(std::string_view bytes) override {
    if (fd_ < 0 || failed_) return false;
    if (!posix::WriteAllHeld(fd_, bytes)) failed_ = true;
    return !failed_;
  }

  bool Commit() override {
    if (fd_ < 0 || failed_ || committed_) return false;
    bool stored = CloseNow();
    if (stored && !temporary_.empty()) stored = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!stored) return false;  // the destructor discards
    committed_ = true;
    return true;
  }

 private:
  // A new file beside the target, with the permission bits of the file it is to
  // replace (a new target gets 0666 less the umask, as any new file).
  bool CreateTemporary(const std::optional<struct stat>& existing) {
    const std::size_t slash = target_.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    const mode_t mode = existing ? (existing->st_mode & 0777) : 0666;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::wstring name = TemporaryFileName(ProcessId(), ClockTicks());
      temporary_ = folder + std::string(name.begin(), name.end());  // ASCII
      fd_ = ::open(temporary_.c_str(), kWriteFlags | O_CREAT | O_EXCL, mode);
      if (fd_ >= 0) {
        if (existing) ::fchmod(fd_, mode);  // exactly the old bits, whatever the umask
        return true;
      }
      if (errno != EEXIST) break;
    }
    temporary_.clear();
    return false;
  }

  // The target itself, emptied, when it is a regular file we may write: what
  // CREATE_ALWAYS does on Windows. O_NONBLOCK and the checks keep a FIFO or a
  // device that took the file's place from blocking or being written.
  bool OpenInPlace(const struct stat& existing) {
    if (!S_ISREG(existing.st_mode)) return false;
    fd_ = ::open(target_.c_str(), kWriteFlags | O_NONBLOCK);
    struct stat opened {};
    if (fd_ < 0 || ::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::ftruncate(fd_, 0) != 0) {
      CloseNow();
      return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    return true;
  }

  // Closes and reports whether the kernel took the data without complaint.
  bool CloseNow() {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || errno == EINTR;  // Linux has closed the descriptor on EINTR
  }

  // No temporary file stays; a file written in place keeps no part of the text.
  void Discard() {
    CloseNow();
    if (!temporary_.empty()) {
      ::unlink(temporary_.c_str());
    } else if (opened_) {
      ::truncate(target_.c_str(), 0);
    }
  }

  std::string target_;
  std::string temporary_;  // empty when writing in place
  int fd_ = -1;
  bool opened_ = false;  // either file was opened
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Create(const std::wstring& path) {
  try {
    std::optional<std::string> target = posix::EncodeNative(path);
    if (!target || target->empty() || target->back() == '/') return nullptr;
    // The batch may have tested this path just before (whether it is the source).
    posix::PathTest test;
    if (!posix::TakeKeptTest(*target, test)) {
      test.error = ::stat(target->c_str(), &test.info) == 0 ? 0 : errno;
    }
    std::optional<struct stat> existing;
    if (test.error == 0) {
      if (!MayReplace(*target, test.info)) return nullptr;
      existing = test.info;
    } else if (test.error != ENOENT) {
      return nullptr;
    }
    auto file = std::make_unique<PosixOutputFile>(std::move(*target));
    if (!file->Open(existing)) return nullptr;
    return file;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
