// The one place that knows how UTF-16 pairs surrogates: code units into code
// points and back. An unpaired surrogate stands for itself, so every unit
// survives the trip; what becomes of it is the caller's choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bytes/byte_view.h"

namespace tamro {

inline bool IsHighSurrogate(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(std::uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code point that begins at unit `at` of the `count` units that `unitAt(i)`
// reads, stored in `code`; returns the units it took: 2 for a surrogate pair,
// otherwise 1.
template <class UnitAt>
std::size_t NextCodePoint(UnitAt unitAt, std::size_t at, std::size_t count, char32_t& code) {
  const std::uint32_t unit = unitAt(at);
  if (IsHighSurrogate(unit) && at + 1 < count) {
    const std::uint32_t low = unitAt(at + 1);
    if (IsLowSurrogate(low)) {
      code = static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      return 2;
    }
  }
  code = static_cast<char32_t>(unit);
  return 1;
}

// Appends the UTF-16 form of `code` to `units`. Values past U+10FFFF (Linux
// keeps undecodable bytes there) come out as two units that pair with nothing.
inline void AppendUtf16(char32_t code, std::u16string& units) {
  if (code < 0x10000) {
    units.push_back(static_cast<char16_t>(code));
    return;
  }
  const char32_t above = code - 0x10000;
  units.push_back(static_cast<char16_t>(0xD800 + (above >> 10)));
  units.push_back(static_cast<char16_t>(0xDC00 + (above & 0x3FF)));
}

// All of `bytes` (UTF-16LE, an even count) as wide text: where wchar_t has 32
// bits a surrogate pair becomes one character.
inline std::wstring WideFromUtf16Le(const ByteView& bytes) {
  const std::size_t count = bytes.size() / 2;
  const auto unitAt = [&](std::size_t i) {
    return bytes.U16Unchecked(static_cast<std::uint32_t>(2 * i));
  };
  std::wstring text;
  text.reserve(count);
  for (std::size_t at = 0; at < count;) {
    if constexpr (sizeof(wchar_t) == 4) {
      char32_t code = 0;
      at += NextCodePoint(unitAt, at, count, code);
      text.push_back(static_cast<wchar_t>(code));
    } else {
      text.push_back(static_cast<wchar_t>(unitAt(at++)));
    }
  }
  return text;
}

}  // namespace tamro
