// Opening a source on Linux, the one way both file readers share. Internal to
// platform/posix/.
#pragma once

#include <string>

namespace tamro::platform::posix {

// A descriptor for `path` opened so that the file is never changed, not even in
// its access time where the kernel lets us say so, and without blocking on a FIFO
// before fstat can turn it away; -1 when it cannot be opened.
int OpenForReading(const std::string& path);

}  // namespace tamro::platform::posix
