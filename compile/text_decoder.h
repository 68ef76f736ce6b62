// How the bytes of a text become characters.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tamro::compile {

enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Legacy };

// The platform's decoder for a text without a byte-order mark that is not UTF-8
// (Windows: the thread's ANSI code page). Decodes one complete piece (pieces end
// just after a LF byte, or at the end of the input, so no character is split) into
// UTF-16 units appended to `units`; false when the bytes are not valid there.
using LegacyDecoder = bool (*)(std::span<const std::uint8_t> bytes, std::u16string& units);

struct DecodePolicy {
  LegacyDecoder legacy = nullptr;  // nullptr: no BOM means UTF-8 (Linux)
};

}  // namespace tamro::compile
