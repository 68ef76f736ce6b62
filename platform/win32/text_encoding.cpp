// Output text on Windows: the thread's ANSI code page, with the system's
// best-fit substitutes and default character for what it lacks.
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {

// Windows' wide characters are UTF-16 code units. A failed conversion gives no
// bytes.
void EncodeOutputString(std::u16string_view units, std::string& bytes) {
  const auto* text = reinterpret_cast<const wchar_t*>(units.data());
  std::size_t rest = units.size();
  while (rest > 0) {
    const std::size_t length = win32::PieceLength(std::wstring_view(text, rest));
    const int count = static_cast<int>(length);
    const int size =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size));
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, text, count, bytes.data() + start, size, nullptr,
                            nullptr) != size) {
      return bytes.resize(start);
    }
    text += length;
    rest -= length;
  }
}

}  // namespace tamro::platform
