// BatchScope on Windows: standard output and whether it is a console, looked at
// once for all the items of a batch. Writes raise no signals here, and the
// process id costs no call.
#include "platform/platform.h"
#include "platform/win32/batch_state.h"

namespace tamro::platform {
namespace win32 {
namespace {

BatchState gState;
const BatchState* gActive = nullptr;

}  // namespace

const BatchState* ActiveBatch() {
  return gActive;
}

}  // namespace win32

BatchScope::BatchScope() {
  if (win32::gActive != nullptr) return;
  owner_ = true;
  win32::gState.out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  win32::gState.console = GetConsoleMode(win32::gState.out, &mode) != FALSE;
  win32::gActive = &win32::gState;
}

BatchScope::~BatchScope() {
  if (owner_) win32::gActive = nullptr;
}

void BatchScope::ItemDone() {}

}  // namespace tamro::platform
