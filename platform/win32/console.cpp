// Console output on Windows: the console's own attributes for the error colour,
// WriteConsoleW on a console, the ANSI code page when redirected.
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/batch_state.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {
namespace {

constexpr WORD kErrorAttributes = FOREGROUND_RED | FOREGROUND_INTENSITY;  // 12

// What the runtime's text-mode stream would hand on: every LF as CR LF.
std::wstring WithTextModeLineEnds(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (const wchar_t c : text) {
    if (c == L'\n') out.push_back(L'\r');
    out.push_back(c);
  }
  return out;
}

void WriteToConsole(HANDLE console, std::wstring_view text) {
  while (!text.empty()) {
    std::size_t length = text.size() < 8192 ? text.size() : 8192;
    if (length < text.size() && IS_HIGH_SURROGATE(text[length - 1])) --length;
    DWORD written = 0;
    if (!WriteConsoleW(console, text.data(), static_cast<DWORD>(length), &written, nullptr) ||
        written == 0) {
      return;  // write errors are ignored
    }
    text.remove_prefix(written < length ? written : length);
  }
}

void WriteBytes(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD length =
        bytes.size() < (DWORD{1} << 30) ? static_cast<DWORD>(bytes.size()) : (DWORD{1} << 30);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), length, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

// Redirected output is the ANSI code page, as the runtime's stream gives it, but
// with the system's substitutes for what the code page lacks: the runtime would
// stop at the first such character and lose the rest of the text.
void WriteRedirected(HANDLE file, std::wstring_view text) {
  std::string bytes;
  while (!text.empty()) {
    const std::size_t length = win32::PieceLength(text);
    const int count = static_cast<int>(length);
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (size > 0) {
      const std::size_t start = bytes.size();
      bytes.resize(start + static_cast<std::size_t>(size));
      WideCharToMultiByte(CP_ACP, 0, text.data(), count, bytes.data() + start, size, nullptr,
                          nullptr);
    }
    text.remove_prefix(length);
  }
  WriteBytes(file, bytes);
}

}  // namespace

std::wstring_view ConsoleLineEnd() {
  return L"\n\r";
}

void ConsoleWrite(std::wstring_view text, bool errorColour, bool endLine) {
  const win32::BatchState* batch = win32::ActiveBatch();
  const HANDLE out = batch != nullptr ? batch->out : GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO previous{};
  bool restore = false;
  if (errorColour) {
    restore = GetConsoleScreenBufferInfo(out, &previous) != FALSE;
    SetConsoleTextAttribute(out, kErrorAttributes);
  }
  try {
    std::fflush(stdout);  // whatever the runtime's stream still holds goes first
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
      std::wstring lines = WithTextModeLineEnds(text);
      if (endLine) lines.append(WithTextModeLineEnds(ConsoleLineEnd()));
      DWORD mode = 0;
      if (batch != nullptr ? batch->console : GetConsoleMode(out, &mode) != FALSE) {
        WriteToConsole(out, lines);
      } else {
        WriteRedirected(out, lines);
      }
    }
  } catch (const std::bad_alloc&) {
    // Nothing written, as with a failed write.
  }
  if (restore) SetConsoleTextAttribute(out, previous.wAttributes);
}

}  // namespace tamro::platform
