#include "platform/ansi_text.h"

#include <climits>

#include "platform/win32/windows_api.h"

namespace tamro::platform {

bool TextsMayBeAnsi() {
  return true;
}

// MB_ERR_INVALID_CHARS: bytes that the code page lacks are an error, never a
// silent replacement. A piece past INT_MAX bytes (one line of 2 GiB) is refused.
bool DecodeAnsiText(std::span<const std::uint8_t> bytes, std::u16string& units) {
  if (bytes.empty()) return true;
  if (bytes.size() > INT_MAX) return false;
  const auto* text = reinterpret_cast<const char*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  const int size =
      MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
  if (size <= 0) return false;
  const std::size_t start = units.size();
  units.resize(start + static_cast<std::size_t>(size));
  const int made = MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, text, length,
                                       reinterpret_cast<wchar_t*>(units.data() + start), size);
  if (made != size) {
    units.resize(start);
    return false;
  }
  return true;
}

}  // namespace tamro::platform
