#include "platform/win32/module_image.h"

#include <algorithm>
#include <new>
#include <optional>

#include "bytes/byte_view.h"
#include "pe/pe_layout.h"

namespace tamro::platform::win32 {
namespace {

// SizeOfImage from the "PE\0\0" signature: past the signature and the file header.
constexpr std::uint64_t kNtSizeOfImage =
    4 + pe::layout::kFileHeaderSize + pe::layout::kOptSizeOfImage;

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
  const std::optional<std::uint32_t> lfanew = headers.U32(pe::layout::kDosLfanew);
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

}  // namespace tamro::platform::win32
