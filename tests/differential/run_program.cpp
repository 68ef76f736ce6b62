#include "tests/differential/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

namespace tamro::test {

ProgramRun RunWithLimit(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                        int seconds) {
  ProgramRun run;
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return run;
  std::vector<std::string> args = argv;
  std::vector<char*> raw;
  for (std::string& a : args) raw.push_back(a.data());
  raw.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (dup2(out[1], 1) < 0 || dup2(null, 2) < 0 || chdir(folder.c_str()) != 0) _exit(127);
    setpgid(0, 0);  // one group: a hang is ended with everything it started
    execvp(raw[0], raw.data());
    _exit(127);
  }
  close(out[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  char buffer[4096];
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 20) > 0) {
      const ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n > 0) run.out.append(buffer, static_cast<std::size_t>(n));
      if (n > 0 && done == 0) continue;
    }
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      run.hung = true;
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
  }
  // What the run wrote before it ended.
  fcntl(out[0], F_SETFL, O_NONBLOCK);
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    run.out.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  run.exitStatus = WIFEXITED(status) && !run.hung ? WEXITSTATUS(status) : -1;
  if (!run.hung && WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  return run;
}

namespace {

// Quoted texts are paths. A non-ASCII character counts as one '~' (UTF-8 on
// Linux, one byte of code page 1252 under Wine), and so does the '?' that Wine
// writes for a character that the code page lacks.
std::string Shape(const std::string& line, bool windows) {
  std::string shaped;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == '"') {
      quoted = !quoted;
      shaped += quoted ? "\"<path>" : "\"";
    } else if (quoted) {
      continue;
    } else if (c == '?') {
      shaped.push_back('~');
    } else if (c < 0x80) {
      shaped.push_back(static_cast<char>(c));
    } else if (windows || (c & 0xC0) != 0x80) {
      shaped.push_back('~');
    }
  }
  return shaped;
}

}  // namespace

std::string Comparable(const std::string& transcript, bool windows) {
  std::istringstream lines(transcript);
  std::string line;
  std::string kept;
  while (std::getline(lines, line)) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '\r') line.erase(0, 1);
    const bool item = line.rfind("\tUIFILE ", 0) == 0;
    const bool result =
        line.rfind("ERROR: ", 0) == 0 || line.find("successfully converted") != std::string::npos;
    if (item || result) kept += Shape(line, windows) + "\n";
  }
  return kept;
}

}  // namespace tamro::test
