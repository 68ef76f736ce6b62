// Console output on Linux: UTF-8 on standard output, bright red through ANSI SGR
// only when standard output is a terminal.
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace {

constexpr std::string_view kErrorColourOn = "\x1b[1;31m";
constexpr std::string_view kColourOff = "\x1b[0m";

// Write errors are ignored, and that includes a reader that has gone away: SIGPIPE
// is held back during the write and a SIGPIPE that the write raised is taken off
// again, so `tamro ... | head` neither dies nor changes the process's signal setup.
void WriteAll(int fd, std::string_view bytes) {
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;
  sigset_t previous;
  const bool blocked = pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous) == 0;

  bool brokenPipe = false;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      brokenPipe = errno == EPIPE;
      break;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }

  if (blocked) {
    if (brokenPipe && !pendingBefore) {
      const timespec noWait{0, 0};
      while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
}

}  // namespace

std::wstring_view ConsoleLineEnd() {
  return L"\n";
}

void ConsoleWrite(std::wstring_view text, bool errorColour) {
  const bool colour = errorColour && ::isatty(STDOUT_FILENO) == 1;
  std::string bytes;
  try {
    bytes.reserve(text.size() + (colour ? kErrorColourOn.size() + kColourOff.size() : 0));
    if (colour) bytes.append(kErrorColourOn);
    posix::AppendUtf8(text, bytes);
    if (colour) bytes.append(kColourOff);
  } catch (const std::bad_alloc&) {
    return;  // no memory for the bytes: nothing is written, as with a failed write
  }
  // Whatever the C stream still buffers goes first, so the order stays as written.
  std::fflush(stdout);
  WriteAll(STDOUT_FILENO, bytes);
}

}  // namespace tamro::platform
