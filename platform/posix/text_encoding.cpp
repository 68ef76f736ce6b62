// UTF-8 for output text, console text and the kernel's byte strings.
#include <cstdint>
#include <string>
#include <string_view>

#include "bytes/utf16.h"
#include "platform/platform.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace posix {
namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kEscapeBase = 0x110000;  // byte b >= 0x80 is 0x110000 + b, beyond Unicode

bool IsScalarValue(std::uint32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

char* PutCodePoint(std::uint32_t c, char* d) {
  if (c < 0x80) {
    *d++ = static_cast<char>(c);
  } else if (c < 0x800) {
    d[0] = static_cast<char>(0xC0 | (c >> 6));
    d[1] = static_cast<char>(0x80 | (c & 0x3F));
    d += 2;
  } else if (c - 0x10000u < 0x100000u) {
    d[0] = static_cast<char>(0xF0 | (c >> 18));
    d[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    d[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    d[3] = static_cast<char>(0x80 | (c & 0x3F));
    d += 4;
  } else {
    if (!IsScalarValue(c)) c = kReplacement;
    d[0] = static_cast<char>(0xE0 | (c >> 12));
    d[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    d[2] = static_cast<char>(0x80 | (c & 0x3F));
    d += 3;
  }
  return d;
}

}  // namespace

void AppendUtf8(std::wstring_view text, std::string& out) {
  out.reserve(out.size() + text.size());
  char buffer[4];
  for (const wchar_t c : text) {
    const char* end = PutCodePoint(static_cast<std::uint32_t>(c), buffer);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
  }
}

std::wstring DecodeNative(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const auto b0 = static_cast<std::uint8_t>(bytes[i]);
    if (b0 < 0x80) {
      text.push_back(static_cast<wchar_t>(b0));
      ++i;
      continue;
    }
    std::size_t length = 0;
    std::uint32_t c = 0;
    std::uint32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2, c = b0 & 0x1Fu, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3, c = b0 & 0x0Fu, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4, c = b0 & 0x07u, minimum = 0x10000;
    }
    bool valid = length != 0 && n - i >= length;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto b = static_cast<std::uint8_t>(bytes[i + k]);
      valid = (b & 0xC0) == 0x80;
      c = (c << 6) | (b & 0x3Fu);
    }
    if (valid && c >= minimum && IsScalarValue(c)) {
      text.push_back(static_cast<wchar_t>(c));
      i += length;
    } else {
      text.push_back(static_cast<wchar_t>(kEscapeBase + b0));
      ++i;
    }
  }
  return text;
}

std::optional<std::string> EncodeNative(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  char buffer[4];
  for (const wchar_t ch : text) {
    const auto c = static_cast<std::uint32_t>(ch);
    if (c == 0) return std::nullopt;
    if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
      bytes.push_back(static_cast<char>(c - kEscapeBase));
    } else {
      const char* end = PutCodePoint(c, buffer);
      bytes.append(buffer, static_cast<std::size_t>(end - buffer));
    }
  }
  return bytes;
}

}  // namespace posix

// Surrogate pairs combine into one code point; a surrogate without its partner
// becomes U+FFFD. ASCII, nearly all of a UI file's text, goes byte for byte.
void EncodeOutputString(std::u16string_view units, std::string& bytes) {
  const auto unitAt = [&](std::size_t i) { return std::uint32_t{units[i]}; };
  char buffer[4];
  const std::size_t n = units.size();
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = i;
    while (run < n && units[run] < 0x80) ++run;
    if (run > i) {
      const std::size_t at = bytes.size();
      bytes.resize(at + (run - i));
      for (std::size_t k = i; k < run; ++k) bytes[at + k - i] = static_cast<char>(units[k]);
      i = run;
      continue;
    }
    char32_t c = 0;
    i += NextCodePoint(unitAt, i, n, c);
    const char* end = posix::PutCodePoint(c, buffer);
    bytes.append(buffer, static_cast<std::size_t>(end - buffer));
  }
}

}  // namespace tamro::platform
