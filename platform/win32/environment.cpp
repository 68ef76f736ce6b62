// The running program, environment references and absolute paths on Windows.
#include <new>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {

// The wide entry point hands over wide arguments; this serves narrow ones, which
// are in the ANSI code page.
std::wstring ArgumentText(const char* bytes) {
  const int size = MultiByteToWideChar(CP_ACP, 0, bytes, -1, nullptr, 0);
  if (size <= 1) return {};
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes, -1, text.data(), size);
  text.resize(static_cast<std::size_t>(size) - 1);
  return text;
}

// GetModuleFileNameW truncates silently to the buffer; the buffer grows until the
// name fits (the longest path Windows allows is 32767 characters).
std::wstring ProgramPath() {
  try {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return {};
      if (n < buffer.size()) {
        buffer.resize(n);
        return buffer;
      }
      if (buffer.size() > 65536) return {};
      buffer.resize(buffer.size() * 2);
    }
  } catch (const std::bad_alloc&) {
    return {};
  }
}

// The buffer starts at 2048 characters, enough for any usual path, and grows to the
// size that ExpandEnvironmentStringsW reports, so no expansion is ever cut short.
std::wstring ExpandEnvironment(const std::wstring& text) {
  if (text.find(L'\0') != std::wstring::npos) return text;
  try {
    std::wstring buffer(2048, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
      const DWORD n =
          ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return text;
      if (n <= buffer.size()) {
        buffer.resize(n - 1);  // n counts the terminating zero
        return buffer;
      }
      buffer.resize(n);  // the environment may change between calls: try again
    }
    return text;
  } catch (const std::bad_alloc&) {
    return text;
  }
}

std::optional<std::wstring> FullPath(const std::wstring& path) {
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return std::nullopt;
  try {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    for (int attempt = 0; attempt < 8 && size != 0; ++attempt) {
      std::wstring buffer(size, L'\0');
      const DWORD n = GetFullPathNameW(path.c_str(), size, buffer.data(), nullptr);
      if (n == 0) return std::nullopt;
      if (n < size) {
        buffer.resize(n);
        return buffer;
      }
      size = n;  // the current directory changed in between
    }
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tamro::platform
