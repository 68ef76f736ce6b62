// Writing with SIGPIPE and SIGXFSZ held back. Internal to platform/posix/.
#pragma once

#include <string_view>

namespace tamro::platform::posix {

// Writes all of `bytes` to `fd`; false at the first failure (EPIPE, EFBIG,
// ENOSPC, EIO, ...). A reader that has gone away or a file-size limit must fail
// the write, not end the process: both signals are blocked while it runs, one that
// the write raised is taken off again, and the thread's mask is then restored, so
// the process's signal setup is as it was. While a BatchScope lives, the batch
// holds both signals instead, and this only notes what the write raised.
bool WriteAllHeld(int fd, std::string_view bytes);

}  // namespace tamro::platform::posix
