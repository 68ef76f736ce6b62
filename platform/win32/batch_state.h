// What the living BatchScope settled for the batch on Windows, for the console
// to consult. Internal to platform/win32/.
#pragma once

#include "platform/win32/windows_api.h"

namespace tamro::platform::win32 {

struct BatchState {
  HANDLE out = nullptr;  // standard output
  bool console = false;  // ... is a console, not redirected
};

// The living batch's state; null without one.
const BatchState* ActiveBatch();

}  // namespace tamro::platform::win32
