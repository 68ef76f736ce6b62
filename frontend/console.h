// The four console writers: every line the program prints goes through them.
#pragma once

#include <string_view>

namespace tamro {

// Writes `text` unchanged, without a line end, in the current colours.
void WriteText(std::wstring_view text);

// Writes `text` and the console line end in the current colours.
void PrintLine(std::wstring_view text);

// Writes `text` and the console line end in the error colour.
void PrintErrorLine(std::wstring_view text);

// Writes `text` in the error colour without a line end (the "ERROR: " label).
void PrintErrorLabel(std::wstring_view text);

}  // namespace tamro
