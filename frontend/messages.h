// What each item outcome and each batch error says, and how one item is reported.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/command_args.h"
#include "io/item_result.h"

namespace tamro {

// Batch error: why a batch could not run, reported instead of the summary.
enum class BatchError : std::uint32_t {
  ErrNone = 0,  // the batch ran to its end
  ErrDestFolder = 0x8001,
  ErrSourceFolder = 0x8002,
  ErrNoMatchingFiles = 0x8003,
  ErrNoIds = 0x8004,
  ErrSysFileMissing = 0x8005,
  ErrSysFileLoad = 0x8006,
  ErrNoUifiles = 0x8007,
  ErrEnumFailed = 0x8008,
  ErrSearchFailed = 0x8009,  // the search of the source folder itself failed
};

// What a batch hands back to the entry. The counts are read only when `error` is 0.
struct BatchOutcome {
  BatchError error = BatchError::ErrNone;
  std::int32_t converted = 0;  // items whose final code was ResultOk
  std::int32_t total = 0;      // items the batch set out to convert
};

// The console text of an item's outcome ("OK", "Skipped: ...", "Error: ...",
// "Warning: ..." with its details).
std::wstring ResultText(const ItemResult& result);

// The message of a batch error, filled from the parsed command line.
std::wstring BatchErrorText(BatchError code, const CommandArgs& args);

// A program's text of an item's outcome.
using ResultTextFunction = std::wstring (*)(const ItemResult& result);

// Finishes the item's console line with `resultText` of it: "OK" in the normal
// colour (returns true, the item counts), anything else in the error colour
// (returns false); an output written under a name of its own is named after the
// outcome.
bool ReportItem(const ItemResult& result, ResultTextFunction resultText = ResultText);

}  // namespace tamro
