// Resource types and names as the loader takes and compares them. A name typed by
// the user may say "#123" for the integer identifier 123; a name that an
// enumeration handed over is only ever that string. String names compare without
// regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamro::pe {

// Upper-case folding for name comparison: ASCII a-z, the Latin-1 letters
// U+00E0..U+00FE (except U+00F7) and U+00FF -> U+0178. Everything else compares
// as it is. Resource compilers store names in upper case; full Unicode case
// mapping is not attempted.
char16_t FoldCase(char16_t c);

// A type or name argument as the loader takes it.
struct NameKey {
  enum class Kind { Id, Text, Invalid } kind = Kind::Invalid;
  std::uint16_t id = 0;   // Kind::Id
  std::u16string folded;  // Kind::Text: UTF-16 units folded with FoldCase, up to the first U+0000
};

// A name as an enumeration hands it over: an integer identifier (0 included) or
// a string up to its first U+0000.
struct EnumeratedName {
  bool isId = false;
  std::uint16_t id = 0;
  std::wstring text;
};

NameKey KeyFromId(std::uint16_t id);

// A typed argument: a string that begins with '#' is an identifier, the rest read
// as RtlUnicodeStringToInteger reads it in base 10 (leading characters up to ' '
// skipped, an optional sign, the digits up to the first non-digit, wrapping at
// 2^32; "#" and "#x" read as 0); above 0xFFFF it is invalid. Any other string is
// a string name.
NameKey KeyFromTyped(std::wstring_view text);

// A string name exactly as an enumeration gave it: never read as "#123".
NameKey KeyFromStored(std::wstring_view text);

// The key that finds an enumerated name again under the identity the enumeration
// gave it: a string name such as "25X" or "#25" is never taken for the id 25.
NameKey KeyFromEnumerated(const EnumeratedName& name);

}  // namespace tamro::pe
