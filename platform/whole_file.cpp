// Whole-file reading and writing, once for both platforms, on top of SourceFile
// and OutputFile.
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "platform/platform.h"
#include "platform/source_file.h"

namespace tamro::platform {
namespace {

class CopiedFile final : public WholeFile {
 public:
  CopiedFile(FileMemory memory, std::uint32_t size) : memory_(std::move(memory)), size_(size) {}
  ByteView Bytes() const override { return ByteView(memory_.data(), size_); }
  bool Lost() const override { return false; }

 private:
  FileMemory memory_;
  std::uint32_t size_;
};

}  // namespace

bool ReadFully(SourceFile& file, std::uint64_t offset, std::uint8_t* data, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const std::optional<std::size_t> read = file.ReadAt(offset + done, data + done, size - done);
    if (!read || *read == 0) return false;  // an error, or the file is shorter than it said
    done += *read;
  }
  return true;
}

FileMemory::FileMemory(FileMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      region_(std::exchange(other.region_, nullptr)),
      regionSize_(std::exchange(other.regionSize_, 0)) {}

FileMemory& FileMemory::operator=(FileMemory&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    region_ = std::exchange(other.region_, nullptr);
    regionSize_ = std::exchange(other.regionSize_, 0);
  }
  return *this;
}

FileMemory::~FileMemory() {
  Release();
}

std::unique_ptr<WholeFile> ReadCopy(SourceFile& file, std::uint64_t size) {
  if (size > kMaxSourceBytes) return nullptr;
  FileMemory memory = FileMemory::Allocate(static_cast<std::size_t>(size));
  if (memory.data() == nullptr || !ReadFully(file, 0, memory.data(), memory.size())) {
    return nullptr;
  }
  return std::make_unique<CopiedFile>(std::move(memory), static_cast<std::uint32_t>(size));
}

std::unique_ptr<WholeFile> ReadWholeFile(const std::wstring& path) {
  try {
    const std::unique_ptr<SourceFile> file = SourceFile::Open(path, SourceFile::Sharing::Exclusive);
    if (!file) return nullptr;
    const std::optional<std::uint64_t> size = file->Size();
    if (!size || *size > kMaxSourceBytes) return nullptr;
    return file->Hold(*size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  try {
    const std::unique_ptr<OutputFile> file = OutputFile::Create(path);
    return file && file->Write(bytes) && file->Commit();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamro::platform
