// A text file read piece by piece for the compiler, through a buffer of one
// piece: memory does not grow with the file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "compile/byte_source.h"
#include "platform/source_file.h"

namespace tamro {

class FileByteSource final : public compile::ByteSource {
 public:
  // Null when `path` cannot be opened for reading (or is no regular file).
  static std::unique_ptr<FileByteSource> Open(const std::wstring& path);

  std::span<const std::uint8_t> Next() override;
  void Rewind() override { offset_ = 0; }

  // True once a read failed: the pieces handed out are not the whole file.
  bool Failed() const { return failed_; }

 private:
  explicit FileByteSource(std::unique_ptr<platform::SourceFile> file) : file_(std::move(file)) {}

  std::unique_ptr<platform::SourceFile> file_;
  // The piece last read, and where in the file it begins: the text's first piece
  // is read once, although the checks before the reading rewind to it.
  std::vector<std::uint8_t> piece_;
  std::uint64_t pieceAt_ = 0;
  std::size_t pieceBytes_ = 0;
  bool pieceHeld_ = false;
  std::uint64_t offset_ = 0;
  bool failed_ = false;
};

}  // namespace tamro
