#include "platform/posix/pe_names.h"

#include "platform/posix/pe_bytes.h"

namespace tamro::platform::pe {

wchar_t FoldCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - (L'a' - L'A'));
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 0x20);
  if (c == 0xFF) return static_cast<wchar_t>(0x178);
  return c;
}

std::wstring FoldName(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = FoldCase(c);
  return folded;
}

NameKey KeyFromText(std::wstring_view text) {
  NameKey key;
  if (text.empty() || text.front() != L'#') {
    key.kind = NameKey::Kind::Text;
    key.folded = FoldName(text);
    return key;
  }
  std::wstring_view rest = text.substr(1);
  while (!rest.empty() && rest.front() <= L' ') rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == L'+' || rest.front() == L'-')) {
    negative = rest.front() == L'-';
    rest.remove_prefix(1);
  }
  std::uint32_t value = 0;  // wraps, as the system's conversion does
  for (wchar_t c : rest) {
    if (c < L'0' || c > L'9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - L'0');
  }
  if (negative) value = 0u - value;
  if (value > 0xFFFF) return key;  // Kind::Invalid
  key.kind = NameKey::Kind::Id;
  key.id = static_cast<std::uint16_t>(value);
  return key;
}

std::wstring WideFromUtf16Le(const std::uint8_t* bytes, std::size_t count) {
  std::wstring text;
  text.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t unit = LoadU16(bytes + 2 * i);
    if constexpr (sizeof(wchar_t) >= 4) {
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
        const std::uint32_t next = LoadU16(bytes + 2 * (i + 1));
        if (next >= 0xDC00 && next <= 0xDFFF) {
          text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)));
          ++i;
          continue;
        }
      }
    }
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

}  // namespace tamro::platform::pe
