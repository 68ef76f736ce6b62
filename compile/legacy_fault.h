// Where in a piece the legacy decoder refused lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "compile/text_decoder.h"

namespace tamro::compile {

// For `bytes` that `decode` refuses: the length of the longest start of them it
// accepts, which is where the first refused character begins. Exact to the
// character for short runs of bytes above 0x7F; otherwise the start of the run
// that holds the refused character.
std::size_t AcceptedLength(LegacyDecoder decode, std::span<const std::uint8_t> bytes);

}  // namespace tamro::compile
