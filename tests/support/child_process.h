// Test bodies that must run in a process of their own: under limits or an
// identity that must not touch the test runner. Linux only.
#pragma once

#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace tamro::test {

// Runs `body` in a child process and gives its exit status (-1 when it did not
// exit normally).
inline int RunInChild(const std::function<int()>& body) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: gives up root for an ordinary user, so that permissions and
// ownership count.
inline bool DropToUnprivilegedUser() {
  if (::geteuid() != 0) return true;
  return ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// In a child: blocks `signal` and raises it, so that it is pending the way a
// caller's own signal would be. False when either step failed.
inline bool MakePending(int signal) {
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  return pthread_sigmask(SIG_BLOCK, &only, nullptr) == 0 && ::raise(signal) == 0;
}

// Whether `signal` is pending for the calling thread.
inline bool IsPending(int signal) {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  return sigismember(&pending, signal) == 1;
}

// In a child: true when `signal` is pending and blocked exactly when it was
// made so before (`pendingBefore`), that is, the code under test left the
// caller's signal state as it found it.
inline bool SignalStateAsBefore(int signal, bool pendingBefore) {
  sigset_t mask;
  pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  return IsPending(signal) == pendingBefore && sigismember(&mask, signal) == int{pendingBefore};
}

}  // namespace tamro::test
