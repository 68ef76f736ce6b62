// The outcome of one item (a source file or a UIFILE resource): what the item
// pipeline hands the batch to report.
#pragma once

#include <cstdint>
#include <string>

#include "duib/convert_status.h"

namespace tamro {

enum class ItemCode : std::int32_t {
  ResultOk = 0,             // converted and written
  ResultOpenFailed = 1,     // the source file cannot be opened or read
  ResultNotDuib = 2,        // the bytes do not begin with the DUIB signature
  ResultConvertFailed = 3,  // the conversion failed; `status` says how
  ResultWarnings = 4,       // converted and written, with warnings
  ResultCreateFailed = 5,   // the output file cannot be created or written
  ResultIdNotFound = 6,     // a listed resource name names no UIFILE resource
  ResultNotFound = 7,       // the resource cannot be found when its bytes are sought
  ResultLoadFailed = 8,     // the resource's bytes cannot be loaded
};

struct ItemResult {
  std::wstring name;                         // file name or resource name text
  ItemCode code = ItemCode::ResultOk;        // the item's outcome
  ConvertStatus status = ConvertStatus::Ok;  // of the item's conversion, if one ran
  std::uint32_t unknownCount = 0;            // set only for a conversion with warnings
  bool residFailed = false;                  // set only for a conversion with warnings
  std::wstring writtenAs;  // the output's name, when an earlier item of the batch had its own
};

}  // namespace tamro
