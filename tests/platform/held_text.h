// The bytes that a held whole file shows, as a string for comparisons.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tamro::test {

inline std::string HeldText(const platform::WholeFile& file) {
  const ByteView bytes = file.Bytes();
  if (bytes.empty()) return std::string();
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace tamro::test
