#include "platform/win32/module_image.h"

#include <algorithm>
#include <new>
#include <optional>

#include "bytes/byte_view.h"

namespace tamro::platform::win32 {
namespace {

constexpr std::uint32_t kDosLfanew = 0x3C;
constexpr std::uint32_t kNtSizeOfImage = 4 + 20 + 56;  // signature, file header, optional header
constexpr std::uint64_t kMaxModuleBytes = 0x7FFFFFFF;

bool ReadablePages(const MEMORY_BASIC_INFORMATION& info) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return info.State == MEM_COMMIT && (info.Protect & PAGE_GUARD) == 0 &&
         (info.Protect & kReadable) != 0;
}

// Whether every page of [data, data + size) is committed and readable.
bool Readable(const std::uint8_t* data, std::uint64_t size) {
  const std::uint8_t* at = data;
  const std::uint8_t* end = data + size;
  while (at < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(at, &info, sizeof info) != sizeof info || !ReadablePages(info)) return false;
    at = static_cast<const std::uint8_t*>(info.BaseAddress) + info.RegionSize;
  }
  return true;
}

}  // namespace

ModuleImage::ModuleImage(HMODULE module) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(reinterpret_cast<ULONG_PTR>(module) &
                                                           ~static_cast<ULONG_PTR>(3));
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(base, &info, sizeof info) != sizeof info || !ReadablePages(info)) return;
  // The headers' readable stretch bounds every read of them.
  const std::uint64_t headerBytes =
      static_cast<const std::uint8_t*>(info.BaseAddress) + info.RegionSize - base;
  const ByteView headers(
      base, static_cast<std::uint32_t>(std::min<std::uint64_t>(headerBytes, 1u << 30)));
  const std::optional<std::uint32_t> lfanew = headers.U32(kDosLfanew);
  if (!lfanew) return;
  const std::optional<std::uint32_t> sizeOfImage =
      headers.U32(std::uint64_t{*lfanew} + kNtSizeOfImage);
  if (!sizeOfImage) return;
  base_ = base;
  size_ = *sizeOfImage;
}

bool ModuleImage::MayRead(const void* data, std::uint64_t size) const {
  const auto* at = static_cast<const std::uint8_t*>(data);
  if (base_ == nullptr || at < base_) return false;
  const auto offset = static_cast<std::uint64_t>(at - base_);
  if (offset > size_ || size > size_ - offset) return false;
  return Readable(at, size);
}

bool ReadModuleBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool read = false;
  LARGE_INTEGER size{};
  try {
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
        static_cast<std::uint64_t>(size.QuadPart) <= kMaxModuleBytes) {
      bytes.resize(static_cast<std::size_t>(size.QuadPart));
      std::size_t done = 0;
      DWORD got = 1;
      while (done < bytes.size() && got != 0 &&
             ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                      nullptr)) {
        done += got;
      }
      read = done == bytes.size();
    }
  } catch (const std::bad_alloc&) {
    read = false;
  }
  CloseHandle(file);
  if (!read) std::vector<std::uint8_t>().swap(bytes);
  return read;
}

}  // namespace tamro::platform::win32
