// What each item outcome and each batch error says, and how one item is reported.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/command_args.h"
#include "io/item_result.h"

namespace tamro {

// Batch error codes: a code space of their own (0 = the batch ran to its end),
// unrelated to the converter status codes of the same values.
using BatchError = std::uint32_t;

inline constexpr BatchError ErrNone = 0;
inline constexpr BatchError ErrDestFolder = 0x8001;
inline constexpr BatchError ErrSourceFolder = 0x8002;
inline constexpr BatchError ErrNoMatchingFiles = 0x8003;
inline constexpr BatchError ErrNoIds = 0x8004;
inline constexpr BatchError ErrSysFileMissing = 0x8005;
inline constexpr BatchError ErrSysFileLoad = 0x8006;
inline constexpr BatchError ErrNoUifiles = 0x8007;
inline constexpr BatchError ErrEnumFailed = 0x8008;

// What a batch hands back to the entry. The counts are read only when `error` is 0.
struct BatchOutcome {
  BatchError error = ErrNone;
  std::int32_t converted = 0;  // items whose final code was ResultOk
  std::int32_t total = 0;      // items the batch set out to convert
};

// The console text of an item's outcome ("OK", "Skipped: ...", "Error: ...",
// "Warning: ..." with its details).
std::wstring ResultText(const ItemResult& result);

// The message of a batch error, filled from the parsed command line.
std::wstring BatchErrorText(BatchError code, const CommandArgs& args);

// Finishes the item's console line: "OK" in the normal colour (returns true, the
// item counts as converted), anything else in the error colour (returns false).
bool ReportItem(const ItemResult& result);

}  // namespace tamro
