// ResourceNameFromText: the text of a typed id read as wcstol reads base 10.
#include <gtest/gtest.h>

#include <string>

#include "frontend/sys_batch.h"
#include "tests/support/case_name.h"

namespace tamro {
namespace {

struct NameCase {
  const char* what;
  std::wstring text;
  std::uint16_t id;  // 0: the text itself is the (string) name
};

class ResourceNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ResourceNameTest, MapsTextToName) {
  const NameCase& c = GetParam();
  const pe::NameKey name = ResourceNameFromText(c.text);
  if (c.id != 0) {
    EXPECT_EQ(name.kind, pe::NameKey::Kind::Id);
    EXPECT_EQ(name.id, c.id);
  } else {
    // The text itself, as the loader takes a typed name.
    EXPECT_EQ(name.kind, pe::NameKey::Kind::Text);
    EXPECT_EQ(name.folded, pe::KeyFromTyped(c.text).folded);
  }
}

INSTANTIATE_TEST_SUITE_P(
    SysBatch, ResourceNameTest,
    testing::Values(
        NameCase{"Plain", L"40960", 40960}, NameCase{"One", L"1", 1},
        NameCase{"Largest", L"65535", 65535}, NameCase{"JustAbove", L"65536", 0},
        NameCase{"Zero", L"0", 0}, NameCase{"LeadingZero", L"040960", 40960},
        NameCase{"ManyZeros", L"0000000000000000000024", 24}, NameCase{"LeadingBlank", L" 24", 24},
        NameCase{"LeadingTabs", L"\t\n\v\f\r 24", 24}, NameCase{"TrailingText", L"12AB", 12},
        NameCase{"DigitsThenX", L"25X", 25}, NameCase{"Plus", L"+24", 24},
        NameCase{"BlankPlusTail", L" +7x", 7}, NameCase{"Negative", L"-5", 0},
        NameCase{"MinusZero", L"-0", 0}, NameCase{"SignThenBlank", L"- 5", 0},
        NameCase{"TwoSigns", L"+-5", 0}, NameCase{"HexIsNotRead", L"0x10", 0},
        NameCase{"Word", L"RIBBON", 0}, NameCase{"Star", L"*", 0}, NameCase{"Empty", L"", 0},
        NameCase{"Blank", L" ", 0}, NameCase{"TrailingBlankNoDigits", L"x 24", 0},
        NameCase{"Int32Max", L"2147483647", 0}, NameCase{"ClampsHigh", L"2147483648", 0},
        // Clamped, not wrapped: 2^32 + 1 must not become the id 1.
        NameCase{"NoWrap", L"4294967297", 0}, NameCase{"NoWrapHuge", L"18446744073709551617", 0},
        NameCase{"ClampsLow", L"-4294967295", 0}, NameCase{"FullwidthDigits", L"\uFF12\uFF14", 0},
        NameCase{"NonBreakingSpace", L"\u00A024", 0}, NameCase{"Percent", L"%s", 0},
        // No digits for wcstol, but the loader's own "#" form of an id.
        NameCase{"LoadersHashForm", L"#5", 5}),
    test::CaseNamer());

}  // namespace
}  // namespace tamro
