// The usage text shown for a missing or invalid command line.
#pragma once

#include <span>
#include <string_view>

namespace tamro {

// The 94 lines of the usage text, as they appear on the console.
std::span<const std::wstring_view> UsageLines();

// Prints every usage line with PrintLine.
void PrintUsage();

}  // namespace tamro
