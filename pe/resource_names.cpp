#include "pe/resource_names.h"

#include "bytes/utf16.h"

namespace tamro::pe {

char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - (u'a' - u'A'));
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return static_cast<char16_t>(0x178);
  return c;
}

NameKey KeyFromId(std::uint16_t id) {
  NameKey key;
  key.kind = NameKey::Kind::Id;
  key.id = id;
  return key;
}

NameKey KeyFromStored(std::wstring_view text) {
  // The API takes a string up to its terminator, so a U+0000 ends the name.
  const std::size_t end = text.find(L'\0');
  NameKey key;
  key.kind = NameKey::Kind::Text;
  for (const wchar_t c : text.substr(0, end)) {
    // As UTF-16, the form in which the module stores names.
    const auto code = static_cast<char32_t>(c);
    if (code > 0xFFFF) {
      AppendUtf16(code, key.folded);
    } else {
      key.folded.push_back(FoldCase(static_cast<char16_t>(code)));
    }
  }
  return key;
}

NameKey KeyFromEnumerated(const EnumeratedName& name) {
  return name.isId ? KeyFromId(name.id) : KeyFromStored(name.text);
}

NameKey KeyFromTyped(std::wstring_view text) {
  if (text.empty() || text.front() != L'#') return KeyFromStored(text);
  std::wstring_view rest = text.substr(1);
  while (!rest.empty() && rest.front() <= L' ' && rest.front() != L'\0') rest.remove_prefix(1);
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
  if (value > 0xFFFF) return NameKey{};  // Kind::Invalid
  return KeyFromId(static_cast<std::uint16_t>(value));
}

}  // namespace tamro::pe
