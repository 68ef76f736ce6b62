// An output file written piece by piece into a temporary file beside its target
// and renamed over it only once complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace {

// Windows will not replace a read-only file. Here that is a file we may not write
// to, or one that nobody may write to (which root could write all the same).
bool MayReplace(const std::string& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return errno == ENOENT;
  if (S_ISDIR(info.st_mode)) return false;
  return ::access(target.c_str(), W_OK) == 0 && (info.st_mode & 0222) != 0;
}

// A name that differs from call to call and from process to process; O_EXCL
// settles any collision.
std::string TemporaryName(const std::string& folder) {
  static std::uint64_t counter = 0;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t x = (static_cast<std::uint64_t>(::getpid()) << 32) ^
                    static_cast<std::uint64_t>(now.tv_nsec) ^ (++counter * 0x9E3779B97F4A7C15u);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 29;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (std::size_t i = 16; i-- > 0; x >>= 4) hex[i] = kDigits[x & 0xF];
  return folder + ".tamro-" + hex + ".tmp";
}

class PosixOutputFile final : public OutputFile {
 public:
  PosixOutputFile(int fd, std::string temporary, std::string target)
      : fd_(fd), temporary_(std::move(temporary)), target_(std::move(target)) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temporary_.c_str());
  }

  bool Write(std::string_view bytes) override {
    while (ok_ && !bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok_ = false;  // EFBIG, ENOSPC, EIO, ...
      if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ok_;
  }

  bool Commit() override {
    if (!ok_ || committed_) return false;
    const int fd = fd_;
    fd_ = -1;
    // Linux has closed the descriptor on EINTR.
    committed_ =
        (::close(fd) == 0 || errno == EINTR) && ::rename(temporary_.c_str(), target_.c_str()) == 0;
    ok_ = committed_;
    return committed_;
  }

 private:
  int fd_;
  std::string temporary_;
  std::string target_;
  bool ok_ = true;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Create(const std::wstring& path) {
  const std::optional<std::string> target = posix::EncodeNative(path);
  if (!target || target->empty() || target->back() == '/' || !MayReplace(*target)) return nullptr;
  const std::size_t slash = target->rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target->substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = TemporaryName(folder);
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0) return std::make_unique<PosixOutputFile>(fd, std::move(temporary), *target);
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

}  // namespace tamro::platform
