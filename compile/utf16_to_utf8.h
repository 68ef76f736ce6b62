// UTF-16 units to UTF-8, unit by unit, so a surrogate pair may arrive in two
// pieces. An unpaired surrogate is refused, never replaced.
#pragma once

#include <string>

#include "bytes/utf16.h"
#include "compile/utf8.h"

namespace tamro::compile {

class Utf16ToUtf8 {
 public:
  // Appends the character `unit` ends to `out`; false for an unpaired surrogate
  // (nothing is appended for it).
  bool Append(char16_t unit, std::string& out) {
    if (pendingHigh_ != 0) {
      if (!IsLowSurrogate(unit)) return false;
      const char32_t pair = 0x10000 + ((char32_t{pendingHigh_} - 0xD800) << 10) + (unit - 0xDC00);
      pendingHigh_ = 0;
      AppendUtf8(pair, out);
      return true;
    }
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      return true;
    }
    if (IsHighSurrogate(unit)) {
      pendingHigh_ = unit;
      return true;
    }
    if (IsLowSurrogate(unit)) return false;
    AppendUtf8(unit, out);
    return true;
  }

  // True when a high surrogate still waits for its partner.
  bool pending() const { return pendingHigh_ != 0; }

 private:
  char16_t pendingHigh_ = 0;
};

}  // namespace tamro::compile
