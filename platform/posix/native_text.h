// Conversion between the program's wide strings (UTF-32 on Linux) and the byte
// strings that the kernel takes for paths, environment values and names.
// Internal to platform/posix/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamro::platform::posix {

// Bytes that are not valid UTF-8 decode to 0x110080..0x1100FF (0x110000 + byte,
// one value per byte) and encode back to the same byte, so any file name the
// kernel reports survives the round trip through a wide string. The values lie
// beyond Unicode, so no name from elsewhere (a module's UTF-16 name with an
// unpaired surrogate) can take this form: EncodeNative turns such a surrogate into
// U+FFFD. Output and console text never use the escape: there every value that is
// not a Unicode scalar value becomes U+FFFD (AppendUtf8, EncodeOutputString).
std::wstring DecodeNative(std::string_view bytes);

// The kernel's form of `text`; nullopt when it holds U+0000 (which no path can).
// Code points that UTF-8 cannot carry become U+FFFD.
std::optional<std::string> EncodeNative(std::wstring_view text);

// Appends the UTF-8 form of `text` to `out` (U+FFFD for every unpaired surrogate
// or invalid code point).
void AppendUtf8(std::wstring_view text, std::string& out);

}  // namespace tamro::platform::posix
