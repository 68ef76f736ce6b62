// Running one build of tamro on one module with a time limit, and the part of
// its console output that both builds must agree on.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tamro::test {

struct ProgramRun {
  std::string out;
  int exitStatus = -1;  // -1: killed by a signal
  int signal = 0;       // the signal that ended it, when one did
  bool hung = false;    // killed after the time limit
};

// Runs `argv` (argv[0] found on PATH) in `folder`; standard error is dropped.
ProgramRun RunWithLimit(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                        int seconds);

// The items, outcomes, batch error and counts of a transcript, with line ends,
// paths in quotes and the code page of non-ASCII characters taken out: one line
// per item ("name | outcome"), then "ERROR: text" or the summary's counts.
std::string Comparable(const std::string& transcript, bool windows);

}  // namespace tamro::test
