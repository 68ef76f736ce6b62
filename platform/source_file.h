// A source file opened for reading only, as each platform opens it. Internal to
// platform/: ReadWholeFile (whole_file.cpp) is written once on top of it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tamro::platform {

class SourceFile {
 public:
  // Null when `path` cannot be opened for reading.
  static std::unique_ptr<SourceFile> Open(const std::wstring& path);
  virtual ~SourceFile() = default;
  // The file's size in bytes; nullopt when it has none (not a regular file).
  virtual std::optional<std::uint64_t> Size() const = 0;
  // Reads exactly `size` bytes into `data`; false on an error or an early end.
  virtual bool ReadFully(std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace tamro::platform
