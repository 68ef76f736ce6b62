// <windows.h> as the platform/win32 files include it. Internal to platform/win32/.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>
#include <string_view>

namespace tamro::platform::win32 {

// The Windows functions take counts as int or DWORD; longer texts go in pieces of
// at most this many characters, never splitting a surrogate pair.
inline constexpr std::size_t kMaxPiece = std::size_t{1} << 26;

inline std::size_t PieceLength(std::wstring_view rest) {
  if (rest.size() <= kMaxPiece) return rest.size();
  std::size_t length = kMaxPiece;
  if (IS_HIGH_SURROGATE(rest[length - 1])) --length;
  return length;
}

}  // namespace tamro::platform::win32
