#include "io/text_source.h"

#include <optional>

namespace tamro {
namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

}  // namespace

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::wstring& path) {
  std::unique_ptr<platform::SourceFile> file =
      platform::SourceFile::Open(path, platform::SourceFile::Sharing::Exclusive);
  if (!file || !file->Size()) return nullptr;
  return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(file)));
}

// Reads until the piece is full or the file ends, so a short read never looks
// like the end.
std::span<const std::uint8_t> FileByteSource::Next() {
  if (failed_) return {};
  if (pieceHeld_ && offset_ == pieceAt_) {
    offset_ += pieceBytes_;
    return std::span<const std::uint8_t>(piece_.data(), pieceBytes_);
  }
  piece_.resize(kPieceBytes);
  pieceAt_ = offset_;
  pieceHeld_ = false;
  std::size_t filled = 0;
  while (filled < piece_.size()) {
    const std::optional<std::size_t> read =
        file_->ReadAt(offset_, piece_.data() + filled, piece_.size() - filled);
    if (!read) {
      failed_ = true;
      return {};
    }
    if (*read == 0) break;
    filled += *read;
    offset_ += *read;
  }
  pieceBytes_ = filled;
  pieceHeld_ = true;
  return std::span<const std::uint8_t>(piece_.data(), filled);
}

}  // namespace tamro
