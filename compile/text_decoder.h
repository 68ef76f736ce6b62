// How the bytes of a text become characters.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tamro::compile {

enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Legacy };

// The platform's decoder for a text without a byte-order mark that is not UTF-8
// (Windows: the thread's ANSI code page). Decodes one complete piece into UTF-16
// units appended to `units`; false when the bytes are not valid there. Pieces end
// just after a byte below 0x40 (a LF, a blank, '"', '>', ...) or at the end of the
// input: no ANSI code page has such a byte inside a character of several bytes,
// whose lead bytes lie above 0x80 and trail bytes from 0x40, so no character is
// split, and a text on one line is decoded piece by piece too.
using LegacyDecoder = bool (*)(std::span<const std::uint8_t> bytes, std::u16string& units);

struct DecodePolicy {
  LegacyDecoder legacy = nullptr;  // nullptr: no BOM means UTF-8 (Linux)
};

}  // namespace tamro::compile
