// Memory for blocks that grow large one write after the other (a compiled blob):
// on Linux, pages that cost less to touch for the first time; elsewhere the heap.
#pragma once

#include "bytes/block_memory.h"

namespace tamro::platform {

const BlockMemory& LargeBlockMemory();

}  // namespace tamro::platform
