// Reading a module file: its headers first, so that a file that is no image is
// turned away after a few kilobytes, then the whole image, once. Internal to
// platform/: the pe/ reader answers from these bytes on Linux, and checks the
// loader with them on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamro::platform {

// The whole file at `path` in `bytes` when it is a regular file below 2 GiB whose
// headers make it an image; false (and `bytes` empty) otherwise.
bool ReadModuleFile(const std::wstring& path, std::vector<std::uint8_t>& bytes);

}  // namespace tamro::platform
