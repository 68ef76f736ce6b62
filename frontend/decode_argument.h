// Command-line arguments of a POSIX process (locale multibyte, UTF-8) as wide text.
#pragma once

#include <string>
#include <string_view>

namespace tamro {

// `bytes` decoded as UTF-8. A byte that is not part of valid UTF-8 is kept as the
// lone surrogate U+DC80 + byte (as Python's surrogateescape does), so no argument
// stops the run and the byte stays recognisable.
std::wstring DecodeArgument(std::string_view bytes);

}  // namespace tamro
