// The one UTF-16LE decoder: code units into wide characters. Where wchar_t has 32
// bits a surrogate pair becomes one character; an unpaired surrogate is kept as it
// stands, so every unit survives the trip.
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

// Decodes the `units` code units at `start` of `bytes` into `dest`, which has room
// for `units` characters; returns the characters written. The caller has checked
// that the units lie inside `bytes`.
inline std::size_t DecodeUtf16Le(const ByteView& bytes, std::uint32_t start, std::uint32_t units,
                                 wchar_t* dest) {
  const std::uint32_t end = start + 2 * units;
  std::size_t written = 0;
  for (std::uint32_t at = start; at < end; at += 2) {
    const std::uint16_t unit = bytes.U16At(at);
    if constexpr (sizeof(wchar_t) == 4) {
      if (IsHighSurrogate(unit) && at + 2 < end && IsLowSurrogate(bytes.U16At(at + 2))) {
        const std::uint16_t low = bytes.U16At(at + 2);
        dest[written++] = static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        at += 2;
        continue;
      }
    }
    dest[written++] = static_cast<wchar_t>(unit);
  }
  return written;
}

// All of `bytes` (an even count) as wide text.
inline std::wstring WideFromUtf16Le(const ByteView& bytes) {
  std::wstring text(bytes.size() / 2, L'\0');
  text.resize(DecodeUtf16Le(bytes, 0, bytes.size() / 2, text.data()));
  return text;
}

}  // namespace tamro
