// Source and module files opened for reading on Linux, and held whole as copies.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix/native_text.h"
#include "platform/posix/open_for_reading.h"
#include "platform/source_file.h"

namespace tamro::platform {
namespace {

class PosixSourceFile final : public SourceFile {
 public:
  PosixSourceFile() = default;
  PosixSourceFile(const PosixSourceFile&) = delete;
  PosixSourceFile& operator=(const PosixSourceFile&) = delete;
  ~PosixSourceFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Open(const std::string& path) {
    fd_ = posix::OpenForReading(path);
    return fd_ >= 0;
  }

  // Only a regular file has a size to read; reading then may block as usual.
  std::optional<std::uint64_t> Size() const override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
      return std::nullopt;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    return static_cast<std::uint64_t>(info.st_size);
  }

  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* data,
                                    std::size_t size) override {
    for (;;) {
      const ssize_t n = ::pread(fd_, data, size, static_cast<off_t>(offset));
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return std::nullopt;
    }
  }

  // A copy, not a mapping: a mapped file shows what other processes write into it
  // or cut off it while the converter reads, and the converter counts on bytes
  // that it has checked staying as they were.
  std::unique_ptr<WholeFile> Hold(std::uint64_t size) override { return ReadCopy(*this, size); }

 private:
  int fd_ = -1;
};

}  // namespace

// Both kinds of file open alike here: Linux has no sharing modes to ask for.
std::unique_ptr<SourceFile> SourceFile::Open(const std::wstring& path, Sharing) {
  const std::optional<std::string> native = posix::EncodeNative(path);
  if (!native || native->empty()) return nullptr;
  auto file = std::make_unique<PosixSourceFile>();  // made before the open: nothing can leak
  if (!file->Open(*native)) return nullptr;
  return file;
}

}  // namespace tamro::platform
