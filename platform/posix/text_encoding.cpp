// UTF-8 for output text, console text and the kernel's byte strings.
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace posix {
namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kEscapeBase = 0x110000;  // byte b >= 0x80 is 0x110000 + b, beyond Unicode
constexpr std::size_t kAsciiBlock = 16;

bool IsScalarValue(std::uint32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// Bytes of the UTF-8 form of `text`. Surrogates and values above U+10FFFF become
// U+FFFD, which needs three bytes just as every other value from U+0800 up to
// U+FFFF does, so only the four-byte range needs a test of its own. Branch-free,
// so the compiler can vectorise it.
std::size_t Utf8Size(const wchar_t* s, std::size_t n) {
  std::size_t size = n;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<std::uint32_t>(s[i]);
    size += static_cast<std::size_t>(c >= 0x80) + static_cast<std::size_t>(c >= 0x800) +
            static_cast<std::size_t>(c - 0x10000u < 0x100000u);
  }
  return size;
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

// Narrows 16 characters to 16 bytes when all of them are ASCII; otherwise writes
// nothing and returns false.
inline bool NarrowAsciiBlock(const wchar_t* s, char* d) {
#if defined(__SSE2__)
  static_assert(sizeof(wchar_t) == 4);
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4));
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
  const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 12));
  const __m128i high =
      _mm_and_si128(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, e)), _mm_set1_epi32(~0x7F));
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(high, _mm_setzero_si128())) != 0xFFFF) return false;
  // Values below 0x80 pass both saturating packs unchanged.
  const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, e));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), bytes);
  return true;
#else
  std::uint32_t block[kAsciiBlock];
  std::uint32_t any = 0;
  for (std::size_t k = 0; k < kAsciiBlock; ++k) {
    block[k] = static_cast<std::uint32_t>(s[k]);
    any |= block[k];
  }
  if (any >= 0x80) return false;
  for (std::size_t k = 0; k < kAsciiBlock; ++k) d[k] = static_cast<char>(block[k]);
  return true;
#endif
}

// Writes the UTF-8 form of `s` at `d` (Utf8Size(s, n) bytes) and returns its end.
char* PutUtf8(const wchar_t* s, std::size_t n, char* d) {
  std::size_t i = 0;
  while (i < n) {
    while (n - i >= kAsciiBlock && NarrowAsciiBlock(s + i, d)) {
      i += kAsciiBlock;
      d += kAsciiBlock;
    }
    // One block at most goes through the general path before the fast path is tried again.
    const std::size_t stop = (n - i < kAsciiBlock) ? n : i + kAsciiBlock;
    for (; i < stop; ++i) d = PutCodePoint(static_cast<std::uint32_t>(s[i]), d);
  }
  return d;
}

}  // namespace

// One pass, a chunk at a time through a buffer in the first-level cache. The string
// reserves the ASCII size first (a lower bound, and the exact size for ASCII text);
// at the first chunk that is longer, the rest is measured once and the exact size
// reserved, so the string is allocated at most twice and, as reserving touches no
// memory, each of its bytes is written exactly once.
void AppendUtf8(std::wstring_view text, std::string& out) {
  constexpr std::size_t kChunk = 4096;
  char buffer[kChunk * 4];
  const wchar_t* s = text.data();
  const std::size_t n = text.size();
  out.reserve(out.size() + n);
  bool sized = false;
  for (std::size_t i = 0; i < n; i += kChunk) {
    const std::size_t count = (n - i < kChunk) ? n - i : kChunk;
    const auto produced = static_cast<std::size_t>(PutUtf8(s + i, count, buffer) - buffer);
    if (!sized && produced != count) {
      out.reserve(out.size() + produced + Utf8Size(s + i + count, n - i - count));
      sized = true;
    }
    out.append(buffer, produced);
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

void EncodeOutputText(std::wstring_view text, std::string& bytes) {
  bytes.clear();
  posix::AppendUtf8(text, bytes);
}

}  // namespace tamro::platform
