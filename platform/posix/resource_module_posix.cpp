// ResourceModule on Linux: the module file is mapped read-only and answered by our
// own PE reader. No code of the module runs and the file is never changed.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/pe_resource_reader.h"
#include "platform/resource_module.h"

namespace tamro::platform {

namespace {

// The path's bytes for open(): UTF-8. Nullopt for a path that no file can have
// (an embedded NUL, a surrogate or a value past U+10FFFF).
std::optional<std::string> PathBytes(const std::wstring& path) {
  std::string bytes;
  bytes.reserve(path.size());
  for (wchar_t wc : path) {
    const auto c = static_cast<std::uint32_t>(wc);
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return bytes;
}

// The file's bytes: a private read-only mapping, or (where a file cannot be
// mapped) one copy read at load time.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes() {
    if (mapped_ != nullptr) munmap(mapped_, size_);
  }

  bool Load(int fd, std::size_t size) {
    void* address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (address != MAP_FAILED) {
      mapped_ = address;
      size_ = size;
      return true;
    }
    copy_.resize(size);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t got = read(fd, copy_.data() + done, size - done);
      if (got <= 0) return false;
      done += static_cast<std::size_t>(got);
    }
    size_ = size;
    return true;
  }

  const std::uint8_t* Data() const {
    return mapped_ != nullptr ? static_cast<const std::uint8_t*>(mapped_) : copy_.data();
  }
  std::size_t Size() const { return size_; }

 private:
  void* mapped_ = nullptr;
  std::vector<std::uint8_t> copy_;
  std::size_t size_ = 0;
};

class PosixResourceModule final : public ResourceModule {
 public:
  std::uint32_t EnumNames(std::wstring_view type, std::vector<ResourceName>& names) const override {
    return reader_->EnumNames(type, names);
  }
  std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const override {
    return reader_->CheckName(type, name);
  }
  ResourceBytes Find(std::wstring_view type, const ResourceName& name) const override {
    return reader_->Find(type, name);
  }

  FileBytes bytes_;
  std::unique_ptr<pe::PeResourceReader> reader_;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  try {
    const std::optional<std::string> name = PathBytes(path);
    if (!name || name->empty()) return nullptr;
    // Refuse what is not a regular file before opening it (opening a device can
    // have effects of its own), and again on the open file (it may have changed).
    // O_NONBLOCK keeps a FIFO from blocking the open.
    struct stat info {};
    if (stat(name->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    const FileDescriptor fd(open(name->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) return nullptr;
    if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
      return nullptr;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > SIZE_MAX) return nullptr;

    auto module = std::make_unique<PosixResourceModule>();
    if (!module->bytes_.Load(fd.Get(), static_cast<std::size_t>(info.st_size))) return nullptr;
    module->reader_ = pe::PeResourceReader::Parse(module->bytes_.Data(), module->bytes_.Size());
    if (!module->reader_) return nullptr;
    return module;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
