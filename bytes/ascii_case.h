// ASCII case folding, the only folding that tamro's comparisons use: the
// signature test, the command-line switches and the Windows device names.
#pragma once

#include <cstddef>
#include <string_view>

namespace tamro {

// `c` with A-Z turned into a-z; every other value unchanged.
template <class Char>
constexpr Char FoldAsciiCase(Char c) {
  return c >= Char{'A'} && c <= Char{'Z'} ? static_cast<Char>(c - Char{'A'} + Char{'a'}) : c;
}

// True when `a` and `b` have the same length and differ at most in the case of
// ASCII letters.
constexpr bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  }
  return true;
}

}  // namespace tamro
