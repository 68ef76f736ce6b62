// One item's XML text stored as a ".tamro.txt" file.
#include "io/output_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/ascii_case.h"
#include "platform/platform.h"

namespace tamro {
namespace {

bool IsUnsafeInFileName(wchar_t c) {
  switch (c) {
    case L'\\':
    case L'/':
    case L':':
    case L'*':
    case L'?':
    case L'"':
    case L'<':
    case L'>':
    case L'|':
      return true;
    default:
      return static_cast<std::uint32_t>(c) < 0x20;
  }
}

// True when the part of `name` before its first dot, without trailing blanks, is a
// Windows device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9), in any case.
bool NamesDevice(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
    if (EqualsIgnoringAsciiCase(stem, device)) return true;
  }
  if (stem.size() != 4 || stem[3] < L'1' || stem[3] > L'9') return false;
  return EqualsIgnoringAsciiCase(stem.substr(0, 3), L"COM") ||
         EqualsIgnoringAsciiCase(stem.substr(0, 3), L"LPT");
}

// True when every CR byte is directly followed by an LF byte and every LF directly
// preceded by a CR: the bytes already have the file's line ends. With SSE2 sixteen
// bytes at a time: the LF positions must be the CR positions shifted by one, the
// CR of a block's last byte carried into the next block.
bool HasOnlyCrLfPairs(const char* b, std::size_t n) {
  std::uint32_t carry = 0;  // 1 when the byte before `i` is a CR
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; n - i >= 16; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const auto crMask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
    const auto lfMask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
    if (lfMask != (((crMask << 1) | carry) & 0xFFFFu)) return false;
    carry = crMask >> 15;
  }
#endif
  for (; i < n; ++i) {
    if ((b[i] == '\n') != (carry == 1)) return false;
    carry = b[i] == '\r' ? 1 : 0;
  }
  return carry == 0;  // a CR as the last byte has no LF after it
}

std::size_t CountByte(const char* b, std::size_t n, char c) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  for (; n - i >= 16; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    count += static_cast<std::size_t>(
        __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)))));
  }
#endif
  for (; i < n; ++i) count += static_cast<std::size_t>(b[i] == c);
  return count;
}

const char* Find(const char* from, const char* end, char c) {
  const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// Every CR removed and every LF written as CR LF: the file's line-end rule. Text
// whose only CR and LF bytes form CR LF pairs, as every rendered text does, is
// already in that form and is used as it is. Anything else is built
// in one pass into a string of the exact final size: the runs between CR and LF
// bytes are copied whole, the next CR and the next LF each found by memchr.
void UseCrLfLineEnds(std::string& bytes) {
  if (HasOnlyCrLfPairs(bytes.data(), bytes.size())) return;
  const std::size_t crCount = CountByte(bytes.data(), bytes.size(), '\r');
  const std::size_t lfCount = CountByte(bytes.data(), bytes.size(), '\n');
  std::string result(bytes.size() - crCount + lfCount, '\0');
  char* d = result.data();
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  const char* nextCr = Find(p, end, '\r');
  const char* nextLf = Find(p, end, '\n');
  for (;;) {
    const char* stop = nextCr < nextLf ? nextCr : nextLf;
    std::memcpy(d, p, static_cast<std::size_t>(stop - p));
    d += stop - p;
    if (stop == end) break;
    p = stop + 1;
    if (stop == nextLf) {
      *d++ = '\r';
      *d++ = '\n';
      nextLf = Find(p, end, '\n');
    } else {
      nextCr = Find(p, end, '\r');
    }
  }
  bytes.swap(result);
}

}  // namespace

std::wstring SafeFileName(std::wstring_view name) {
  std::wstring safe(name);
  for (wchar_t& c : safe) {
    if (IsUnsafeInFileName(c)) c = L'_';
  }
  // Windows opens a device, not a file, for CON, NUL, COM1 and the like, with any
  // extension; such names keep the same output name on every platform.
  if (NamesDevice(safe)) safe.insert(safe.begin(), L'_');
  return safe;
}

void OutputFileBytes(std::wstring_view text, std::string& bytes) {
  platform::EncodeOutputText(text, bytes);
  // The stored text ends at its first U+0000. That character is the only one
  // whose encoding holds a zero byte, so cutting at the first zero byte does it.
  if (const void* nul = std::memchr(bytes.data(), 0, bytes.size())) {
    bytes.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
  }
  UseCrLfLineEnds(bytes);
}

ItemCode WriteOutputFile(const std::wstring& path, std::wstring_view text) {
  std::string bytes;
  OutputFileBytes(text, bytes);
  return platform::WriteWholeFile(path, bytes) ? ResultOk : ResultCreateFailed;
}

}  // namespace tamro
