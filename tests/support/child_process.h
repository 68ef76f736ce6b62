// Test bodies that must run in a process of their own: under limits or an
// identity that must not touch the test runner. Linux only.
#pragma once

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

}  // namespace tamro::test
