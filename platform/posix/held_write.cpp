#include "platform/posix/held_write.h"

#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace tamro::platform::posix {
namespace {

// Takes `signal` off the pending set when it is there; it is blocked, so it waits.
void TakeOff(int signal) {
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  const timespec noWait{0, 0};
  while (sigtimedwait(&one, nullptr, &noWait) < 0 && errno == EINTR) {
  }
}

int WriteLoop(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

bool WriteAllHeld(int fd, std::string_view bytes) {
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGPIPE);
  sigaddset(&held, SIGXFSZ);
  sigset_t pendingBefore;
  sigemptyset(&pendingBefore);
  sigpending(&pendingBefore);
  sigset_t previous;
  const bool blocked = pthread_sigmask(SIG_BLOCK, &held, &previous) == 0;

  const int error = WriteLoop(fd, bytes);

  if (blocked) {
    // Only a signal that this write raised: one that was pending before stays.
    if (error == EPIPE && sigismember(&pendingBefore, SIGPIPE) != 1) TakeOff(SIGPIPE);
    if (error == EFBIG && sigismember(&pendingBefore, SIGXFSZ) != 1) TakeOff(SIGXFSZ);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  return error == 0;
}

}  // namespace tamro::platform::posix
