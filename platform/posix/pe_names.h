// Resource names as the loader compares them: "#123" means the integer
// identifier 123, and string names compare without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamro::platform::pe {

// Upper-case folding for name comparison: ASCII a-z, the Latin-1 letters
// U+00E0..U+00FE (except U+00F7) and U+00FF -> U+0178. Everything else compares
// as it is. This covers every name that real modules use (resource compilers
// store names in upper case); full Unicode case mapping is not attempted.
wchar_t FoldCase(wchar_t c);
std::wstring FoldName(std::wstring_view name);

// A type or name argument as the loader takes it.
struct NameKey {
  enum class Kind { Id, Text, Invalid } kind = Kind::Invalid;
  std::uint16_t id = 0;  // Kind::Id
  std::wstring folded;   // Kind::Text: the name folded with FoldName
};

// Turns a string argument into a key, as the loader does: a string that begins
// with '#' is an identifier, the rest read as RtlUnicodeStringToInteger reads it
// in base 10 (leading characters up to ' ' skipped, an optional sign, the digits
// up to the first non-digit, wrapping at 2^32; "#", "#x" read as 0). A value above
// 0xFFFF is invalid (ERROR_INVALID_PARAMETER on Windows). Any other string is a
// string name.
NameKey KeyFromText(std::wstring_view text);

// Decodes `count` UTF-16LE code units at `bytes` into a wide string: surrogate
// pairs are combined where wchar_t has 32 bits; unpaired surrogates are kept.
std::wstring WideFromUtf16Le(const std::uint8_t* bytes, std::size_t count);

}  // namespace tamro::platform::pe
