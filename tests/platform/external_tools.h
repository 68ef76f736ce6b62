// Running the external programs that some tests compare against (wrestool,
// mingw-w64's windres and ld); such tests are skipped where a program is missing.
#pragma once

#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

namespace tamro::test {

inline bool ProgramInstalled(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// Runs a shell command; its standard output, or nullopt when it fails.
inline std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  std::size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}

}  // namespace tamro::test
