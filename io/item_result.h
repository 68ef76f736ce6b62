// The outcome of one item (a source file or a UIFILE resource, a text to
// compile): what the item pipeline hands the batch to report.
#pragma once

#include <cstdint>
#include <string>

#include "duib/convert_status.h"

namespace tamro {

enum class ItemCode : std::int32_t {
  ResultOk = 0,               // converted (or compiled) and written
  ResultOpenFailed = 1,       // the source file cannot be opened or read
  ResultNotDuib = 2,          // the bytes do not begin with the DUIB signature
  ResultConvertFailed = 3,    // the conversion failed; `status` says how
  ResultWarnings = 4,         // converted and written, with warnings
  ResultCreateFailed = 5,     // the output file cannot be created or written
  ResultIdNotFound = 6,       // a listed resource name names no UIFILE resource
  ResultNotFound = 7,         // the resource cannot be found when its bytes are sought
  ResultLoadFailed = 8,       // the resource's bytes cannot be loaded
  ResultNotText = 9,          // tamro-compile: the file is no text (binary, a DUIB blob)
  ResultCompileFailed = 10,   // tamro-compile: the text cannot be compiled; where and why
  ResultCheckFailed = 11,     // tamro-compile: the compiled blob does not read back; `status`
  ResultReplacesSource = 12,  // the output would replace the item's own source file
};

struct ItemResult {
  std::wstring name;                         // file name or resource name text
  ItemCode code = ItemCode::ResultOk;        // the item's outcome
  ConvertStatus status = ConvertStatus::Ok;  // of the item's conversion or check, if one ran
  std::uint32_t unknownCount = 0;            // set only for a conversion with warnings
  bool residFailed = false;                  // set only for a conversion with warnings
  std::wstring writtenAs;  // the output's name, when an earlier item of the batch had its own
  // ResultCompileFailed: where in the text it went wrong (from 1; line 0: nowhere
  // in particular), and what.
  std::uint64_t line = 0;
  std::uint64_t column = 0;
  std::string message;  // ASCII, never holds bytes of the input
};

}  // namespace tamro
