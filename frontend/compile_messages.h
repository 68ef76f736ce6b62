// What tamro-compile says of an item's outcome, and its help texts.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "io/item_result.h"

namespace tamro {

// "OK", "Skipped: not a text file", or "Error: ..." with where and why.
std::wstring CompileResultText(const ItemResult& result);

// The short usage shown for a command line that is not accepted.
std::span<const std::wstring_view> CompileUsageLines();

// The help text of -h and --help.
std::span<const std::wstring_view> CompileHelpLines();

}  // namespace tamro
