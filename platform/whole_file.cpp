// Whole-file reading and writing, once for both platforms, on top of SourceFile
// and OutputFile.
#include <memory>
#include <new>
#include <optional>

#include "platform/platform.h"
#include "platform/source_file.h"

namespace tamro::platform {

bool ReadFully(SourceFile& file, std::uint64_t offset, std::uint8_t* data, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const std::optional<std::size_t> read = file.ReadAt(offset + done, data + done, size - done);
    if (!read || *read == 0) return false;  // an error, or the file is shorter than it said
    done += *read;
  }
  return true;
}

ReadOutcome ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t>().swap(bytes);
  try {
    const std::unique_ptr<SourceFile> file = SourceFile::Open(path, SourceFile::Sharing::Exclusive);
    if (!file) return ReadOutcome::OpenFailed;
    const std::optional<std::uint64_t> size = file->Size();
    if (!size || *size > kMaxSourceBytes) return ReadOutcome::OpenFailed;
    bytes.resize(static_cast<std::size_t>(*size));
    if (!ReadFully(*file, 0, bytes.data(), bytes.size())) {
      std::vector<std::uint8_t>().swap(bytes);
      return ReadOutcome::OpenFailed;
    }
    return ReadOutcome::Ok;
  } catch (const std::bad_alloc&) {
    std::vector<std::uint8_t>().swap(bytes);
    return ReadOutcome::OpenFailed;
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
