// The lines that frame a run of either program: the banner before it, and the
// final report after its batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/command_args.h"
#include "frontend/messages.h"

namespace tamro {

// Four lines: two empty ones, the program's title, an empty one.
void PrintBanner(std::wstring_view title);

// The summary of a batch that ran, made of its counts.
using SummaryFunction = std::wstring (*)(std::int32_t converted, std::int32_t total);

// After the batch: an empty line, then the summary and the output folder, or the
// "ERROR: " label and the batch error's text, then an empty line.
void PrintFinalReport(const BatchOutcome& outcome, const CommandArgs& args,
                      SummaryFunction summary);

}  // namespace tamro
