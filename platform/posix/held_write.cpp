#include "platform/posix/held_write.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/batch_state.h"

namespace tamro::platform::posix {
namespace {

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
  // A batch holds both signals for all its writes and takes off what they raised
  // after each item.
  if (BatchState* batch = ActiveBatch(); batch != nullptr && batch->signalsHeld) {
    const int error = WriteLoop(fd, bytes);
    if (error == EPIPE) batch->pipeRaised = true;
    if (error == EFBIG) batch->sizeRaised = true;
    return error == 0;
  }

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
    if (error == EPIPE && sigismember(&pendingBefore, SIGPIPE) != 1) TakeOffPending(SIGPIPE);
    if (error == EFBIG && sigismember(&pendingBefore, SIGXFSZ) != 1) TakeOffPending(SIGXFSZ);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  return error == 0;
}

}  // namespace tamro::platform::posix
