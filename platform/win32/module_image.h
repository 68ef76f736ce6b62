// What tamro.exe may read of a module that the loader mapped as an image resource:
// the bytes from its base up to the SizeOfImage of its mapped headers, and of
// those only pages that are committed and readable. Every pointer and size that
// the loader hands back for a resource is checked here before anything reads it.
// Internal to platform/win32/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace tamro::platform::win32 {

class ModuleImage {
 public:
  // The image behind a handle of LoadLibraryExW (the low bits of a resource
  // image's handle are flags). Empty (nothing readable) when its headers are not.
  explicit ModuleImage(HMODULE module);

  // Whether all of [data, data + size) lies in the image and may be read.
  bool MayRead(const void* data, std::uint64_t size) const;

  const std::uint8_t* Base() const { return base_; }
  std::uint32_t Size() const { return size_; }

 private:
  const std::uint8_t* base_ = nullptr;
  std::uint32_t size_ = 0;
};

}  // namespace tamro::platform::win32
