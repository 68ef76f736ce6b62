// The kernel's byte strings and the program's wide strings on Linux: any byte
// string survives the round trip.
#ifndef _WIN32

#include "platform/posix/native_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/table_test.h"

namespace tamro::platform::posix {
namespace {

struct DecodeRow {
  const char* what;
  std::string bytes;
  std::wstring text;
};

std::wstring Escaped(std::initializer_list<unsigned> bytes) {
  std::wstring text;
  for (const unsigned b : bytes) text.push_back(static_cast<wchar_t>(0x110000 + b));
  return text;
}

// Each row decodes, and encodes back to its bytes.
const test::Table<DecodeRow> kDecodeNative(
    "DecodeNative",
    [](const DecodeRow& row) {
      EXPECT_EQ(DecodeNative(row.bytes), row.text);
      EXPECT_EQ(EncodeNative(row.text), row.bytes);
    },
    {{"empty", "", L""},
     {"ascii", "/tmp/a.raw", L"/tmp/a.raw"},
     {"two byte", "caf\xC3\xA9", L"caf\u00E9"},
     {"first and last two byte", "\xC2\x80\xDF\xBF", L"\u0080\u07FF"},
     {"first and last three byte", "\xE0\xA0\x80\xEF\xBF\xBF", L"\u0800\uFFFF"},
     {"first and last four byte", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", L"\U00010000\U0010FFFF"},
     {"three byte", "\xE4\xB8\xAD", L"\u4E2D"},
     {"four byte", "\xF0\x9F\x98\x80", L"\U0001F600"},
     {"latin1 byte", "caf\xE9", L"caf" + Escaped({0xE9})},
     {"overlong nul", "\xC0\x80", Escaped({0xC0, 0x80})},
     {"overlong last one byte", "\xC1\xBF", Escaped({0xC1, 0xBF})},
     {"lead past F4", "\xF5\x80\x80\x80", Escaped({0xF5, 0x80, 0x80, 0x80})},
     {"overlong three byte", "\xE0\x9F\xBF", Escaped({0xE0, 0x9F, 0xBF})},
     {"overlong four byte", "\xF0\x8F\xBF\xBF", Escaped({0xF0, 0x8F, 0xBF, 0xBF})},
     {"encoded surrogate", "\xED\xA0\x80", Escaped({0xED, 0xA0, 0x80})},
     {"beyond unicode", "\xF4\x90\x80\x80", Escaped({0xF4, 0x90, 0x80, 0x80})},
     {"truncated sequence", "a\xE4\xB8", L"a" + Escaped({0xE4, 0xB8})},
     {"lone continuation", "\x80x", Escaped({0x80}) + L"x"},
     {"ff byte", "\xFF", Escaped({0xFF})}});

TEST(EncodeNative, RefusesNul) {
  EXPECT_FALSE(EncodeNative(std::wstring(L"a\0b", 3)).has_value());
}

// A module's name may hold any unpaired surrogate, U+DC80..U+DCFF included: none
// of them is mistaken for an escaped byte. Only 0x110080..0x1100FF are bytes.
TEST(EncodeNative, UnencodableValuesBecomeReplacementCharacter) {
  for (const std::uint32_t value :
       {0xD800u, 0xDC7Fu, 0xDC80u, 0xDCE9u, 0xDCFFu, 0xDFFFu, 0x110000u, 0x11007Fu, 0x110100u}) {
    EXPECT_EQ(EncodeNative(std::wstring(1, static_cast<wchar_t>(value))), "\xEF\xBF\xBD")
        << std::hex << value;
  }
  EXPECT_EQ(EncodeNative(std::wstring(1, static_cast<wchar_t>(0x110080))), "\x80");
}

TEST(DecodeNative, AnyBytesSurviveTheRoundTrip) {
  std::mt19937 random(777);
  for (int round = 0; round < 500; ++round) {
    std::string bytes(random() % 64, '\0');
    for (char& b : bytes) b = static_cast<char>(1 + random() % 255);
    ASSERT_EQ(EncodeNative(DecodeNative(bytes)), bytes) << "round " << round;
  }
}

}  // namespace
}  // namespace tamro::platform::posix

#endif  // !_WIN32
