// A blob read and walked without making anything of it: its status, unknown names
// and resid cross-check, exactly as a conversion would find them. The compiler
// checks every blob it writes with it.
#pragma once

#include <cstdint>

#include "duib/walk.h"

namespace tamro::duib {

WalkResult CheckBlob(const std::uint8_t* blob, std::uint32_t size);

}  // namespace tamro::duib
