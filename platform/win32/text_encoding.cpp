// Output text on Windows: the thread's ANSI code page, with the system's
// best-fit substitutes and default character for what it lacks.
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {

void EncodeOutputText(std::wstring_view text, std::string& bytes) {
  bytes.clear();
  while (!text.empty()) {
    const std::size_t length = win32::PieceLength(text);
    const int count = static_cast<int>(length);
    const int size =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return bytes.clear();  // a failed conversion gives no bytes
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size));
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), count, bytes.data() + start, size,
                            nullptr, nullptr) != size) {
      return bytes.clear();
    }
    text.remove_prefix(length);
  }
}

}  // namespace tamro::platform
