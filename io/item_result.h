// The outcome of one item (a source file or a UIFILE resource): what the item
// pipeline hands the batch to report.
#pragma once

#include <cstdint>
#include <string>

namespace tamro {

using ItemCode = std::int32_t;

inline constexpr ItemCode ResultOk = 0;
inline constexpr ItemCode ResultOpenFailed = 1;
inline constexpr ItemCode ResultNotDuib = 2;
inline constexpr ItemCode ResultConvertFailed = 3;
inline constexpr ItemCode ResultWarnings = 4;
inline constexpr ItemCode ResultCreateFailed = 5;
inline constexpr ItemCode ResultIdNotFound = 6;
inline constexpr ItemCode ResultNotFound = 7;
inline constexpr ItemCode ResultLoadFailed = 8;

struct ItemResult {
  std::wstring name;               // file name or resource name text; base of the output name
  ItemCode code = ResultOk;        // one of the Result* codes
  std::uint32_t status = 0;        // converter status of the item's conversion
  std::uint32_t unknownCount = 0;  // set only for a conversion with warnings
  bool residFailed = false;        // set only for a conversion with warnings
};

}  // namespace tamro
