// A file opened for reading only, as each platform opens it. Whole-file reading
// and the module file's reading are written once on top of it (whole_file.cpp,
// module_file.cpp); the compiler's texts are read through it piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

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
};

// Reads exactly `size` bytes at `offset` into `data`; false on an error or an
// early end of the file.
bool ReadFully(SourceFile& file, std::uint64_t offset, std::uint8_t* data, std::size_t size);

}  // namespace tamro::platform
