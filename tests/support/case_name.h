// Turns a table row's description into a GoogleTest parameter name.
#pragma once

#include <cctype>
#include <string>

namespace tamro::test {

inline std::string CaseName(const char* what) {
  std::string name;
  for (const char* p = what; *p; ++p) {
    name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  }
  return name;
}

// For INSTANTIATE_TEST_SUITE_P over rows that carry a `what` description.
struct CaseNamer {
  template <class Info>
  std::string operator()(const Info& row) const {
    return CaseName(row.param.what);
  }
};

}  // namespace tamro::test
