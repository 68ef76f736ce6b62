#include "frontend/console.h"

#include "platform/platform.h"

namespace tamro {

// A line and its end go out in one write, so a coloured line is never split
// between two colour brackets. The platform adds the end, so that what it does to
// a text on a terminal never touches the line end.
void WriteText(std::wstring_view text) {
  platform::ConsoleWrite(text, false);
}

void PrintLine(std::wstring_view text) {
  platform::ConsoleWrite(text, false, true);
}

void PrintErrorLine(std::wstring_view text) {
  platform::ConsoleWrite(text, true, true);
}

void PrintErrorLabel(std::wstring_view text) {
  platform::ConsoleWrite(text, true);
}

}  // namespace tamro
