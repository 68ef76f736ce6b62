// The code types as the tests' messages show them: the number the report would
// show, so that a failed expectation reads "0x8006", not a byte dump.
#pragma once

#include <cstdint>
#include <ios>
#include <ostream>

#include "duib/convert_status.h"
#include "io/item_result.h"

namespace tamro {

inline std::ostream& operator<<(std::ostream& out, ConvertStatus status) {
  const auto flags = out.flags();
  out << "0x" << std::hex << std::uppercase << static_cast<std::uint32_t>(status);
  out.flags(flags);
  return out;
}

inline std::ostream& operator<<(std::ostream& out, ItemCode code) {
  return out << "item code " << static_cast<std::int32_t>(code);
}

}  // namespace tamro
