// On Windows the heap serves large blocks too: 2 MiB pages there need a
// privilege that a user rarely holds.
#include "platform/block_memory.h"

namespace tamro::platform {

const BlockMemory& LargeBlockMemory() {
  return HeapMemory();
}

}  // namespace tamro::platform
