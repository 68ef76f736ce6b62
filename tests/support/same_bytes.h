// EXPECT_SAME_BYTES(actual, expected) compares two byte runs (strings, string
// views or byte vectors). On a mismatch it reports both sizes, the first offset
// where they differ and a few bytes around it from each side, instead of
// printing megabytes of both.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tamro::test {

inline std::string_view ByteRun(std::string_view bytes) {
  return bytes;
}
inline std::string_view ByteRun(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The bytes [from, from + count) of `bytes` as escaped text and as hex.
inline std::string ByteContext(std::string_view bytes, std::size_t from, std::size_t count) {
  std::string text = "\"";
  std::string hex;
  char cell[8];
  for (std::size_t i = from; i < std::min(bytes.size(), from + count); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '"' || c == '\\') {
      text += {'\\', static_cast<char>(c)};
    } else if (c >= 0x20 && c < 0x7F) {
      text.push_back(static_cast<char>(c));
    } else {
      std::snprintf(cell, sizeof cell, "\\x%02X", c);
      text += cell;
    }
    std::snprintf(cell, sizeof cell, "%s%02X", hex.empty() ? "" : " ", c);
    hex += cell;
  }
  return text + "\"  [" + hex + "]";
}

inline ::testing::AssertionResult CompareBytes(const char* actualExpr, const char* expectedExpr,
                                               std::string_view actual, std::string_view expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const std::size_t common = std::min(actual.size(), expected.size());
  const std::size_t at =
      std::mismatch(actual.begin(), actual.begin() + common, expected.begin()).first -
      actual.begin();
  constexpr std::size_t kBefore = 8;
  constexpr std::size_t kAround = 32;
  const std::size_t from = at > kBefore ? at - kBefore : 0;
  return ::testing::AssertionFailure()
         << actualExpr << " and " << expectedExpr << " differ\n  sizes: " << actual.size() << " vs "
         << expected.size() << "\n  first difference at offset " << at << " (context from offset "
         << from << ")\n  actual:   " << ByteContext(actual, from, kAround)
         << "\n  expected: " << ByteContext(expected, from, kAround);
}

template <class Actual, class Expected>
::testing::AssertionResult SameBytes(const char* actualExpr, const char* expectedExpr,
                                     const Actual& actual, const Expected& expected) {
  return CompareBytes(actualExpr, expectedExpr, ByteRun(actual), ByteRun(expected));
}

}  // namespace tamro::test

#define EXPECT_SAME_BYTES(actual, expected) \
  EXPECT_PRED_FORMAT2(::tamro::test::SameBytes, actual, expected)
#define ASSERT_SAME_BYTES(actual, expected) \
  ASSERT_PRED_FORMAT2(::tamro::test::SameBytes, actual, expected)
