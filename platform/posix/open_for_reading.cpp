#include "platform/posix/open_for_reading.h"

#include <fcntl.h>

#include <cerrno>

namespace tamro::platform::posix {

// O_NOATIME needs ownership: EPERM means "not yours", and the file is opened
// again without it.
int OpenForReading(const std::string& path) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = ::open(path.c_str(), kFlags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), kFlags);
  return fd;
}

}  // namespace tamro::platform::posix
