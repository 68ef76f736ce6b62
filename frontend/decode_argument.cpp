#include "frontend/decode_argument.h"

namespace tamro {

std::wstring DecodeArgument(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      length = 1;
      value = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      value = lead & 0x1F;
      minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      value = lead & 0x0F;
      minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      value = lead & 0x07;
      minimum = 0x10000;
    }
    bool valid = length != 0 && i + length <= bytes.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
      } else {
        value = (value << 6) | (next & 0x3F);
      }
    }
    // Overlong forms, encoded surrogates and values past U+10FFFF are not UTF-8.
    if (valid && (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))) {
      valid = false;
    }
    if (!valid) {
      text.push_back(static_cast<wchar_t>(0xDC00 + lead));
      ++i;
      continue;
    }
    if constexpr (sizeof(wchar_t) == 2) {
      if (value >= 0x10000) {
        const char32_t v = value - 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (v >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (v & 0x3FF)));
      } else {
        text.push_back(static_cast<wchar_t>(value));
      }
    } else {
      text.push_back(static_cast<wchar_t>(value));
    }
    i += length;
  }
  return text;
}

}  // namespace tamro
