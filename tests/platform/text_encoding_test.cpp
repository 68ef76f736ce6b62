// EncodeOutputString on Linux: UTF-8 without BOM, pairs combined, U+FFFD for a
// surrogate without its partner; it appends to what the bytes hold.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/platform.h"
#include "tests/support/table_test.h"

namespace tamro::platform {
namespace {

std::string Encode(std::u16string_view units) {
  std::string bytes = "<";
  EncodeOutputString(units, bytes);
  return bytes.substr(1);
}

const std::string kFffd = "\xEF\xBF\xBD";

const test::FunctionTable<std::u16string, std::string> kEncodeOutputString(
    "EncodeOutputString", Encode,
    {{"empty", u"", ""},
     {"ascii", u"<duixml>\r\n", "<duixml>\r\n"},
     {"last one byte", u"\u007F", "\x7F"},
     {"first two byte", u"\u0080", "\xC2\x80"},
     {"latin", u"caf\u00E9", "caf\xC3\xA9"},
     {"last two byte", u"\u07FF", "\xDF\xBF"},
     {"first three byte", u"\u0800", "\xE0\xA0\x80"},
     {"cjk", u"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87"},
     {"last bmp", u"\uFFFF", "\xEF\xBF\xBF"},
     {"bmp before surrogates", u"\uD7FF", "\xED\x9F\xBF"},
     {"bmp after surrogates", u"\uE000", "\xEE\x80\x80"},
     {"pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
     {"first astral", u"\U00010000", "\xF0\x90\x80\x80"},
     {"last code point", u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
     {"lone high", u"\xD800", kFffd},
     {"lone low", u"\xDFFF", kFffd},
     {"high at the end", u"a\xDBFF", "a" + kFffd},
     {"low before high", u"\xDE00\xD83D", kFffd + kFffd},
     {"two highs then a low", u"\xD83D\xD83D\xDE00", kFffd + "\xF0\x9F\x98\x80"},
     {"low between ascii",
      u"a\xDC80"
      u"b",
      "a" + kFffd + "b"}});

// The plain definition, for checking random strings against.
std::string ReferenceUtf8(const std::u16string& units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
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

TEST(EncodeOutputString, RandomUnitsMatchTheDefinition) {
  std::mt19937 random(12345);
  for (int round = 0; round < 300; ++round) {
    std::u16string units(random() % 300, u' ');
    for (char16_t& c : units) {
      const auto kind = static_cast<unsigned>(random() % 6);
      c = static_cast<char16_t>(kind == 0   ? 0xD800 + random() % 0x800  // surrogates
                                : kind == 1 ? random() % 0x10000
                                : kind == 2 ? random() % 0x800
                                            : 0x20 + random() % 0x5F);
    }
    ASSERT_EQ(Encode(units), ReferenceUtf8(units)) << "round " << round;
  }
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
