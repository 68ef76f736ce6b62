#include "platform/ansi_text.h"

namespace tamro::platform {

bool TextsMayBeAnsi() {
  return false;
}

bool DecodeAnsiText(std::span<const std::uint8_t>, std::u16string&) {
  return false;
}

}  // namespace tamro::platform
