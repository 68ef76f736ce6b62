// Texts in the ANSI code page, as tamro.exe writes its output files: what
// tamro-compile reads back on Windows. Linux has no such code page.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tamro::platform {

// Whether a text without a byte-order mark that is not UTF-8 may be in the
// thread's ANSI code page: true on Windows.
bool TextsMayBeAnsi();

// Decodes `bytes` of the thread's ANSI code page into UTF-16 units appended to
// `units`; false, with nothing appended, when they are not valid there (and
// always where there is no code page).
bool DecodeAnsiText(std::span<const std::uint8_t> bytes, std::u16string& units);

}  // namespace tamro::platform
