// Console output on Linux: UTF-8 on standard output, bright red through ANSI SGR
// only when standard output is a terminal, and on a terminal the control
// characters of the text shown escaped, as ls shows them in names.
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/batch_state.h"
#include "platform/posix/held_write.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace {

constexpr std::string_view kErrorColourOn = "\x1b[1;31m";
constexpr std::string_view kColourOff = "\x1b[0m";

// C0 but TAB, DEL and C1: the characters with which a name could move the cursor,
// clear the screen, set the title or start an escape sequence.
bool SteersTerminal(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  return (u < 0x20 && u != L'\t') || (u >= 0x7F && u <= 0x9F);
}

// `text` with each such character as "\x" and two hexadecimal digits.
std::wstring EscapedForTerminal(std::wstring_view text) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring shown;
  shown.reserve(text.size());
  for (const wchar_t c : text) {
    if (!SteersTerminal(c)) {
      shown.push_back(c);
      continue;
    }
    const auto u = static_cast<std::uint32_t>(c);
    shown.append({L'\\', L'x', kHex[u >> 4], kHex[u & 0xF]});
  }
  return shown;
}

}  // namespace

std::wstring_view ConsoleLineEnd() {
  return L"\n";
}

void ConsoleWrite(std::wstring_view text, bool errorColour, bool endLine) {
  const posix::BatchState* batch = posix::ActiveBatch();
  const bool terminal = batch != nullptr ? batch->terminal : ::isatty(STDOUT_FILENO) == 1;
  const bool colour = errorColour && terminal;
  std::string bytes;
  try {
    bytes.reserve(text.size() + 1 + (colour ? kErrorColourOn.size() + kColourOff.size() : 0));
    if (colour) bytes.append(kErrorColourOn);
    if (terminal) {
      posix::AppendUtf8(EscapedForTerminal(text), bytes);
    } else {
      posix::AppendUtf8(text, bytes);
    }
    if (endLine) posix::AppendUtf8(ConsoleLineEnd(), bytes);
    if (colour) bytes.append(kColourOff);
  } catch (const std::bad_alloc&) {
    return;  // no memory for the bytes: nothing is written, as with a failed write
  }
  // Whatever the C stream still buffers goes first, so the order stays as written.
  std::fflush(stdout);
  posix::WriteAllHeld(STDOUT_FILENO, bytes);
}

}  // namespace tamro::platform
