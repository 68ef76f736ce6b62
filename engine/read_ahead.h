// Short pieces of output are copied in one fixed-size move, which reads past the
// end of the piece. The sources of such pieces (the built-in names, the pool of
// encoded blob strings) keep this many bytes readable from the start of every
// piece they hand out.
#pragma once

#include <cstddef>

namespace tamro {

inline constexpr std::size_t kReadAhead = 32;

}  // namespace tamro
