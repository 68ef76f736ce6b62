#include "platform/posix/module_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>

#include "bytes/byte_view.h"
#include "pe/pe_image.h"
#include "platform/posix/native_text.h"
#include "platform/posix/open_for_reading.h"

namespace tamro::platform::posix {
namespace {

constexpr std::uint64_t kMaxModuleBytes = 0x7FFFFFFF;  // below 2 GiB, as for source files
constexpr std::size_t kHeaderProbe = 4096;             // DOS, NT headers and sections, as a rule
// Headers must end within this many bytes: a file whose DOS header sends the
// reader further is turned away without reading that far.
constexpr std::uint64_t kMaxHeaderBytes = 16u << 20;

// Reads from `offset` until `bytes` is full; false on an error or a short file.
bool ReadAt(int fd, std::vector<std::uint8_t>& bytes, std::size_t offset) {
  while (offset < bytes.size()) {
    const ssize_t n =
        ::pread(fd, bytes.data() + offset, bytes.size() - offset, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    offset += static_cast<std::size_t>(n);
  }
  return true;
}

// Grows `bytes` (the file's first bytes) until the headers show whether the file
// is an image, then reads the rest: the file is read at most once, and a file that
// is no image only as far as its headers.
bool ReadImage(int fd, std::uint64_t fileSize, std::vector<std::uint8_t>& bytes) {
  std::size_t have = 0;
  std::uint64_t want = std::min<std::uint64_t>(fileSize, kHeaderProbe);
  for (;;) {
    bytes.resize(static_cast<std::size_t>(want));
    if (!ReadAt(fd, bytes, have)) return false;
    have = bytes.size();
    std::uint64_t needed = 0;
    const ByteView view(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    switch (pe::PeImage::CheckHeaders(view, fileSize, needed)) {
      case pe::PeImage::Verdict::NotImage:
        return false;
      case pe::PeImage::Verdict::NeedMore:
        if (needed > kMaxHeaderBytes) return false;
        want = needed;
        break;
      case pe::PeImage::Verdict::Image:
        if (have == fileSize) return true;
        want = fileSize;
        break;
    }
  }
}

}  // namespace

bool ReadModuleFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t>().swap(bytes);
  const std::optional<std::string> native = EncodeNative(path);
  if (!native || native->empty()) return false;
  const int fd = OpenForReading(*native);
  if (fd < 0) return false;
  struct stat info {};
  bool read = false;
  try {
    read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
           static_cast<std::uint64_t>(info.st_size) <= kMaxModuleBytes &&
           ReadImage(fd, static_cast<std::uint64_t>(info.st_size), bytes);
  } catch (const std::bad_alloc&) {
    read = false;
  }
  ::close(fd);
  if (!read) std::vector<std::uint8_t>().swap(bytes);
  return read;
}

}  // namespace tamro::platform::posix
