// Read-only views of whole files on Windows, and what becomes of one whose pages
// can no longer be read (an in-page error: the network file behind it went away,
// a removable disk was pulled). Internal to platform/win32/.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform::win32 {

// A view of the first `size` bytes (at least one) of the open `file`; null when
// the file cannot be mapped. The view keeps a handle of its own to the file, so
// the file stays shared with nobody else while it is held. When reading the view
// meets an in-page error, the view is replaced by zero pages and the read goes
// on with zeros; Lost() tells the owner, who discards what it made of them.
std::unique_ptr<WholeFile> MapWholeFile(HANDLE file, std::uint64_t size);

}  // namespace tamro::platform::win32
