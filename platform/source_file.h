// A file opened for reading only, as each platform opens it. Whole-file reading
// and the module file's reading are written once on top of it (whole_file.cpp,
// module_file.cpp); the compiler's texts are read through it piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tamro::platform {

// Sources and modules must be smaller than 2 GiB, as a signed 32-bit length.
inline constexpr std::uint64_t kMaxSourceBytes = 0x7FFFFFFF;

class SourceFile {
 public:
  enum class Sharing {
    Exclusive,   // a source file: no other opener while it is open (Windows)
    WithLoader,  // a module file, which the system loader holds mapped meanwhile
  };

  // Null when `path` cannot be opened for reading.
  static std::unique_ptr<SourceFile> Open(const std::wstring& path, Sharing sharing);
  virtual ~SourceFile() = default;
  // The file's size in bytes; nullopt when it has none (not a regular file).
  virtual std::optional<std::uint64_t> Size() const = 0;
  // One read of at most `size` bytes at `offset`: the count read (0 at the end of
  // the file), or nullopt on an error.
  virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* data,
                                            std::size_t size) = 0;
  // The file's first `size` bytes (its Size, at most kMaxSourceBytes), held as
  // the platform holds whole files: mapped, or read into memory of its own. The
  // file object may be released meanwhile. Null on an error, a short read or a
  // lack of memory.
  virtual std::unique_ptr<WholeFile> Hold(std::uint64_t size) = 0;
};

// Reads exactly `size` bytes at `offset` into `data`; false on an error or an
// early end of the file.
bool ReadFully(SourceFile& file, std::uint64_t offset, std::uint8_t* data, std::size_t size);

// Memory for a copy of a file, released with the object. Each platform allocates
// it in its own way (file_memory.cpp): on these virtual machines every page that
// a process touches first costs microseconds, so a large copy gets pages that
// the system can back with large ones.
class FileMemory {
 public:
  // `size` bytes, not cleared; null data when there is no memory for them.
  static FileMemory Allocate(std::size_t size);
  FileMemory() = default;
  FileMemory(FileMemory&& other) noexcept;
  FileMemory& operator=(FileMemory&& other) noexcept;
  FileMemory(const FileMemory&) = delete;
  FileMemory& operator=(const FileMemory&) = delete;
  ~FileMemory();

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Release();

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  void* region_ = nullptr;  // a region of pages of its own, when not from the heap
  std::size_t regionSize_ = 0;
};

// The first `size` bytes of `file` read into memory of their own; null on an
// error, a short read or a lack of memory. How every platform holds a small
// file, and Linux every file.
std::unique_ptr<WholeFile> ReadCopy(SourceFile& file, std::uint64_t size);

}  // namespace tamro::platform
