// Reading a whole source file and replacing a whole output file on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace {

constexpr std::uint64_t kMaxSourceBytes = 0x7FFFFFFF;  // below 2 GiB, as a signed 32-bit length

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether the kernel took the data without complaint.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || errno == EINTR;  // Linux has closed the descriptor on EINTR
  }

 private:
  int fd_;
};

// A source is opened so that it is never changed, not even in its access time when
// the kernel lets us say so (O_NOATIME needs ownership: EPERM means "not yours"),
// and without blocking on a FIFO before fstat can turn it away.
int OpenForReading(const std::string& path) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = ::open(path.c_str(), kFlags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), kFlags);
  return fd;
}

bool ReadFully(int fd, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;  // the file is shorter than fstat said
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteFully(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;  // EFBIG, ENOSPC, EIO, ...
    }
    if (n == 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A value that differs from call to call and from process to process; O_EXCL
// settles any collision.
std::uint64_t NextTemporaryNumber() {
  static std::uint64_t counter = 0;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t x =
      (static_cast<std::uint64_t>(::getpid()) << 32) ^ static_cast<std::uint64_t>(now.tv_nsec) ^
      (static_cast<std::uint64_t>(now.tv_sec) << 20) ^ (++counter * 0x9E3779B97F4A7C15u);
  // splitmix64 finaliser
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBu;
  x ^= x >> 31;
  return x;
}

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (std::size_t i = 16; i-- > 0; value >>= 4) text[i] = kDigits[value & 0xF];
  return text;
}

// Creates a new, empty file beside `target` with mode 0666 less the umask.
int CreateTemporary(const std::string& target, std::string& temporary) {
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder + ".tamro-" + Hex(NextTemporaryNumber()) + ".tmp";
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Windows will not replace a read-only file. Here that is a file we may not write
// to, or one that nobody may write to (which root could write all the same).
bool MayReplace(const std::string& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return errno == ENOENT;
  if (S_ISDIR(info.st_mode)) return false;
  return ::access(target.c_str(), W_OK) == 0 && (info.st_mode & 0222) != 0;
}

}  // namespace

ReadOutcome ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t>().swap(bytes);
  try {
    const std::optional<std::string> native = posix::EncodeNative(path);
    if (!native || native->empty()) return ReadOutcome::OpenFailed;
    FileDescriptor file(OpenForReading(*native));
    if (file.get() < 0) return ReadOutcome::OpenFailed;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return ReadOutcome::OpenFailed;
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kMaxSourceBytes) {
      return ReadOutcome::OpenFailed;
    }
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags >= 0) ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK);
    bytes.resize(static_cast<std::size_t>(info.st_size));
    if (!ReadFully(file.get(), bytes.data(), bytes.size())) {
      std::vector<std::uint8_t>().swap(bytes);
      return ReadOutcome::OpenFailed;
    }
    return ReadOutcome::Ok;
  } catch (const std::bad_alloc&) {
    std::vector<std::uint8_t>().swap(bytes);
    return ReadOutcome::OpenFailed;
  }
}

// The bytes go to a new file in the same folder, which is renamed over the target
// only when all of them were written and closed; so the target is either the old
// file or the complete new one, never a part.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  try {
    const std::optional<std::string> target = posix::EncodeNative(path);
    if (!target || target->empty() || target->back() == '/') return false;
    if (!MayReplace(*target)) return false;

    std::string temporary;
    FileDescriptor file(CreateTemporary(*target, temporary));
    if (file.get() < 0) return false;
    const bool stored = WriteFully(file.get(), bytes.data(), bytes.size()) && file.Close() &&
                        ::rename(temporary.c_str(), target->c_str()) == 0;
    if (!stored) ::unlink(temporary.c_str());
    return stored;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamro::platform
