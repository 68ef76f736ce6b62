// FindEntries for the tests: every entry a pattern matches, as a list; a search
// that fails fails the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace tamro::test {

inline std::vector<platform::FoundEntry> FindAll(const std::wstring& pattern) {
  std::vector<platform::FoundEntry> found;
  const std::error_code error = platform::FindEntries(pattern, found);
  EXPECT_FALSE(error) << error.message();
  return found;
}

}  // namespace tamro::test
