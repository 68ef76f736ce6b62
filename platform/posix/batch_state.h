// What the living BatchScope settled for the batch on Linux, for the console and
// output files to consult. Internal to platform/posix/.
#pragma once

#include <signal.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamro::platform::posix {

// The outcome of one stat of a path, kept for the next call that would test the
// same path again.
struct PathTest {
  std::string path;  // empty: nothing kept
  int error = 0;     // 0: `info` holds the file's status
  struct stat info {};
};

struct BatchState {
  bool terminal = false;        // standard output is a terminal
  std::uint64_t processId = 0;  // for temporary file names
  bool signalsHeld = false;     // SIGPIPE and SIGXFSZ blocked for the whole batch
  sigset_t pendingBefore{};     // pending when the batch began: the caller's
  sigset_t previousMask{};
  bool pipeRaised = false;  // a write since the last check failed with EPIPE
  bool sizeRaised = false;  // ... or with EFBIG
  PathTest lastTest;
  // The pages of the last large source copy that an item gave back, for the
  // next one: already faulted in, and no kernel clears them again.
  void* spareRegion = nullptr;
  std::size_t spareSize = 0;
};

// The living batch's state; null without one.
BatchState* ActiveBatch();

// Takes `signal` off the pending set; it is blocked, so it waits there.
void TakeOffPending(int signal);

// The kept test of `path`, taken away (a second call finds nothing), when the
// batch kept one for exactly this path.
bool TakeKeptTest(const std::string& path, PathTest& test);

}  // namespace tamro::platform::posix
