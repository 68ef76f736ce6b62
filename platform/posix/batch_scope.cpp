// BatchScope on Linux: one terminal test, one process id and one signal mask for
// all the items of a batch, where each item's writes would otherwise block and
// unblock SIGPIPE and SIGXFSZ around every write; and one heap that the items
// share.
#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/batch_state.h"

namespace tamro::platform {
namespace posix {
namespace {

BatchState gState;
BatchState* gActive = nullptr;

// The items of a batch allocate and free much the same memory one after the
// other. glibc would give the freed top of the heap back to the kernel and serve
// allocations of 128 KiB or more (the output buffer among them) with mappings of
// their own, so that the next item faults the same pages in again, one by one.
// Kept, they cost nothing the second time. From the first batch on, for the rest
// of the process: the heap then keeps up to its peak, which peak memory counts
// anyway; copies of large sources keep pages of their own (file_memory.cpp).
void KeepHeapPages() {
#ifdef __GLIBC__
  static bool kept = false;
  if (kept) return;
  kept = true;
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

// A held signal that the batch's writes raised, taken off unless it was pending
// before the batch (the caller's own, which stays).
void TakeOffRaised(BatchState& state) {
  if (state.pipeRaised && sigismember(&state.pendingBefore, SIGPIPE) != 1) TakeOffPending(SIGPIPE);
  if (state.sizeRaised && sigismember(&state.pendingBefore, SIGXFSZ) != 1) {
    TakeOffPending(SIGXFSZ);
  }
  state.pipeRaised = false;
  state.sizeRaised = false;
}

}  // namespace

BatchState* ActiveBatch() {
  return gActive;
}

void TakeOffPending(int signal) {
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  const timespec noWait{0, 0};
  while (sigtimedwait(&one, nullptr, &noWait) < 0 && errno == EINTR) {
  }
}

bool TakeKeptTest(const std::string& path, PathTest& test) {
  if (gActive == nullptr || gActive->lastTest.path.empty()) return false;
  PathTest kept = std::move(gActive->lastTest);
  gActive->lastTest = PathTest();
  if (kept.path != path) return false;
  test = std::move(kept);
  return true;
}

}  // namespace posix

BatchScope::BatchScope() {
  if (posix::gActive != nullptr) return;
  owner_ = true;
  posix::KeepHeapPages();
  posix::BatchState& state = posix::gState;
  state = posix::BatchState();
  state.terminal = ::isatty(STDOUT_FILENO) == 1;
  state.processId = static_cast<std::uint64_t>(::getpid());
  sigemptyset(&state.pendingBefore);
  sigpending(&state.pendingBefore);
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGPIPE);
  sigaddset(&held, SIGXFSZ);
  state.signalsHeld = pthread_sigmask(SIG_BLOCK, &held, &state.previousMask) == 0;
  posix::gActive = &state;
}

BatchScope::~BatchScope() {
  if (!owner_) return;
  posix::BatchState& state = posix::gState;
  if (state.signalsHeld) {
    posix::TakeOffRaised(state);
    pthread_sigmask(SIG_SETMASK, &state.previousMask, nullptr);
  }
  posix::gActive = nullptr;
  state.lastTest = posix::PathTest();
  if (state.spareRegion != nullptr) ::munmap(state.spareRegion, state.spareSize);
  state.spareRegion = nullptr;
}

void BatchScope::ItemDone() {
  if (!owner_) return;
  if (posix::gState.signalsHeld) posix::TakeOffRaised(posix::gState);
  posix::gState.lastTest = posix::PathTest();  // nothing kept passes from one item to the next
}

}  // namespace tamro::platform
