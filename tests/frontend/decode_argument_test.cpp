// DecodeArgument: UTF-8 arguments to wide text; invalid bytes kept, never fatal.
#include <gtest/gtest.h>

#include <string>

#include "frontend/decode_argument.h"
#include "tests/support/case_name.h"

namespace tamro {
namespace {

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::wstring text;
};

class DecodeArgumentTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeArgumentTest, Decodes) {
  EXPECT_EQ(DecodeArgument(GetParam().bytes), GetParam().text);
}

std::wstring Units(std::initializer_list<unsigned> values) {
  std::wstring text;
  for (unsigned v : values) text.push_back(static_cast<wchar_t>(v));
  return text;
}

// A supplementary character: one unit where wchar_t is 32 bits, a pair where 16.
std::wstring Grinning() {
  if constexpr (sizeof(wchar_t) == 2) return Units({0xD83D, 0xDE00});
  return Units({0x1F600});
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, DecodeArgumentTest,
    testing::Values(DecodeCase{"Empty", "", L""}, DecodeCase{"Ascii", "-file", L"-file"},
                    DecodeCase{"TwoByte", "\xC3\xA9t\xC3\xA9", Units({0xE9, 't', 0xE9})},
                    DecodeCase{"ThreeByte", "\xE2\x82\xAC", Units({0x20AC})},
                    DecodeCase{"FourByte", "\xF0\x9F\x98\x80", Grinning()},
                    DecodeCase{"LoneContinuation", "a\x80z", Units({'a', 0xDC80, 'z'})},
                    DecodeCase{"InvalidLead", "\xFF", Units({0xDCFF})},
                    DecodeCase{"Truncated", "\xC3", Units({0xDCC3})},
                    DecodeCase{"TruncatedThenAscii", "\xE2\x82x", Units({0xDCE2, 0xDC82, 'x'})},
                    DecodeCase{"Overlong", "\xC0\xAF", Units({0xDCC0, 0xDCAF})},
                    DecodeCase{"OverlongThree", "\xE0\x80\xAF", Units({0xDCE0, 0xDC80, 0xDCAF})},
                    DecodeCase{"EncodedSurrogate", "\xED\xA0\x80", Units({0xDCED, 0xDCA0, 0xDC80})},
                    DecodeCase{"BeyondUnicode", "\xF4\x90\x80\x80",
                               Units({0xDCF4, 0xDC90, 0xDC80, 0xDC80})}),
    test::CaseNamer());

}  // namespace
}  // namespace tamro
