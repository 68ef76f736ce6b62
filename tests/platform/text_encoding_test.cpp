// EncodeOutputText on Linux: UTF-8 without BOM, U+FFFD for what UTF-8 cannot carry.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/platform.h"
#include "tests/support/case_name.h"

namespace tamro::platform {
namespace {

struct EncodeRow {
  const char* what;
  std::wstring text;
  std::string bytes;
};

class EncodeOutputTextTest : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(EncodeOutputTextTest, GivesUtf8) {
  EXPECT_EQ(EncodeOutputText(GetParam().text), GetParam().bytes);
}

const std::string kFffd = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    Table, EncodeOutputTextTest,
    ::testing::Values(EncodeRow{"empty", L"", ""},
                      EncodeRow{"ascii", L"<duixml>\r\n", "<duixml>\r\n"},
                      EncodeRow{"nul kept", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
                      EncodeRow{"last one byte", L"\u007F", "\x7F"},
                      EncodeRow{"first two byte", L"\u0080", "\xC2\x80"},
                      EncodeRow{"latin", L"caf\u00E9", "caf\xC3\xA9"},
                      EncodeRow{"last two byte", L"\u07FF", "\xDF\xBF"},
                      EncodeRow{"first three byte", L"\u0800", "\xE0\xA0\x80"},
                      EncodeRow{"cjk", L"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87"},
                      EncodeRow{"last bmp", L"\uFFFF", "\xEF\xBF\xBF"},
                      EncodeRow{"bmp before surrogates", L"\uD7FF", "\xED\x9F\xBF"},
                      EncodeRow{"bmp after surrogates", L"\uE000", "\xEE\x80\x80"},
                      EncodeRow{"astral", L"\U0001F600", "\xF0\x9F\x98\x80"},
                      EncodeRow{"first astral", L"\U00010000", "\xF0\x90\x80\x80"},
                      EncodeRow{"last code point", L"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
                      EncodeRow{"lone high surrogate", std::wstring(1, wchar_t(0xD800)), kFffd},
                      EncodeRow{"lone low surrogate", std::wstring(1, wchar_t(0xDFFF)), kFffd},
                      EncodeRow{"surrogate units stay unpaired",
                                std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, kFffd + kFffd},
                      EncodeRow{"surrogate between ascii",
                                std::wstring{L'a', wchar_t(0xDC80), L'b'}, "a" + kFffd + "b"},
                      EncodeRow{"beyond unicode", std::wstring(1, wchar_t(0x110000)), kFffd},
                      EncodeRow{"negative value", std::wstring(1, wchar_t(-1)), kFffd}),
    test::CaseNamer());

// The plain definition, for checking the fast paths against.
std::string ReferenceUtf8(const std::wstring& text) {
  std::string out;
  for (const wchar_t ch : text) {
    auto c = static_cast<std::uint32_t>(ch);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

TEST(EncodeOutputText, NonAsciiAtEveryPositionAroundTheAsciiBlocks) {
  for (std::size_t length : {1u, 15u, 16u, 17u, 31u, 32u, 33u, 100u}) {
    for (std::size_t at = 0; at < length; ++at) {
      for (const wchar_t special :
           {wchar_t(0xE9), wchar_t(0x4E2D), wchar_t(0x1F600), wchar_t(0xD800), wchar_t(0x80)}) {
        std::wstring text(length, L'x');
        text[at] = special;
        ASSERT_EQ(EncodeOutputText(text), ReferenceUtf8(text))
            << "length " << length << " at " << at << " char " << std::uint32_t(special);
      }
    }
  }
}

TEST(EncodeOutputText, RandomTextMatchesTheDefinition) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> kind(0, 9);
  for (int round = 0; round < 200; ++round) {
    std::wstring text(random() % 300, L' ');
    for (wchar_t& c : text) {
      switch (kind(random)) {
        case 0:
          c = static_cast<wchar_t>(random() % 0x800);
          break;
        case 1:
          c = static_cast<wchar_t>(random() % 0x10000);
          break;
        case 2:
          c = static_cast<wchar_t>(random() % 0x110000);
          break;
        case 3:
          c = static_cast<wchar_t>(random());
          break;
        default:
          c = static_cast<wchar_t>(0x20 + random() % 0x5F);
      }
    }
    ASSERT_EQ(EncodeOutputText(text), ReferenceUtf8(text)) << "round " << round;
  }
}

TEST(EncodeOutputText, LongAsciiTextIsCopiedByteForByte) {
  std::wstring text;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    const char c = static_cast<char>(i % 128);
    text.push_back(static_cast<wchar_t>(c));
    expected.push_back(c);
  }
  EXPECT_EQ(EncodeOutputText(text), expected);
}

TEST(EncodeOutputText, NoByteOrderMark) {
  const std::string bytes = EncodeOutputText(L"\u00E9");
  ASSERT_EQ(bytes.size(), 2u);
  EXPECT_NE(bytes.substr(0, 2), "\xEF\xBB");
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
