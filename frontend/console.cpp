#include "frontend/console.h"

#include <string>

#include "platform/platform.h"

namespace tamro {
namespace {

// A line and its end go out in one write, so a coloured line is never split
// between two colour brackets.
std::wstring WithLineEnd(std::wstring_view text) {
  const std::wstring_view end = platform::ConsoleLineEnd();
  std::wstring line;
  line.reserve(text.size() + end.size());
  line.append(text);
  line.append(end);
  return line;
}

}  // namespace

void WriteText(std::wstring_view text) {
  platform::ConsoleWrite(text, false);
}

void PrintLine(std::wstring_view text) {
  platform::ConsoleWrite(WithLineEnd(text), false);
}

void PrintErrorLine(std::wstring_view text) {
  platform::ConsoleWrite(WithLineEnd(text), true);
}

void PrintErrorLabel(std::wstring_view text) {
  platform::ConsoleWrite(text, true);
}

}  // namespace tamro
