#include "platform/module_file.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "bytes/byte_view.h"
#include "pe/pe_image.h"
#include "platform/source_file.h"

namespace tamro::platform {
namespace {

constexpr std::size_t kHeaderProbe = 4096;  // DOS, NT headers and sections, as a rule
// Headers must end within this many bytes: a file whose DOS header sends the
// reader further is turned away without reading that far.
constexpr std::uint64_t kMaxHeaderBytes = 16u << 20;

// Grows `bytes` (the file's first bytes) until the headers show whether the file
// is an image: a file that is no image is read only as far as its headers.
bool IsImage(SourceFile& file, std::uint64_t fileSize) {
  std::vector<std::uint8_t> bytes;
  std::size_t have = 0;
  std::uint64_t want = std::min<std::uint64_t>(fileSize, kHeaderProbe);
  for (;;) {
    bytes.resize(static_cast<std::size_t>(want));
    if (!ReadFully(file, have, bytes.data() + have, bytes.size() - have)) return false;
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
        return true;
    }
  }
}

}  // namespace

std::unique_ptr<WholeFile> ReadModuleFile(const std::wstring& path) {
  try {
    const std::unique_ptr<SourceFile> file =
        SourceFile::Open(path, SourceFile::Sharing::WithLoader);
    if (!file) return nullptr;
    const std::optional<std::uint64_t> size = file->Size();
    if (!size || *size > kMaxSourceBytes || !IsImage(*file, *size)) return nullptr;
    return file->Hold(*size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
