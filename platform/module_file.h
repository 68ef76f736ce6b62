// Reading a module file: its headers first, so that a file that is no image is
// turned away after a few kilobytes, then the whole image, held once as the
// platform holds whole files. Internal to platform/: the pe/ reader answers from
// these bytes on Linux, and checks the loader with them on Windows.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace tamro::platform {

// The whole file at `path` when it is a regular file below 2 GiB whose headers
// make it an image; null otherwise.
std::unique_ptr<WholeFile> ReadModuleFile(const std::wstring& path);

}  // namespace tamro::platform
