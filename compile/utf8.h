// UTF-8 checked the strict way: no overlong forms, no encoded surrogates, nothing
// above U+10FFFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tamro::compile {

struct Utf8Check {
  std::size_t valid = 0;   // bytes that form whole, valid characters from the start
  bool truncated = false;  // the bytes after those begin a character cut off by the end
  bool nonAscii = false;   // a byte above 0x7F was met
};

// How far `bytes` is valid UTF-8. The whole span is valid when `valid` is its size;
// otherwise the character at `valid` is invalid, or (truncated) needs more bytes.
Utf8Check CheckUtf8(std::span<const std::uint8_t> bytes);

// The byte count of the character a valid lead byte begins.
inline std::size_t Utf8Length(std::uint8_t lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

void AppendUtf8(char32_t codePoint, std::string& out);

// Appends the UTF-16 form of `utf8`, which must be valid (checked before).
void AppendUtf16FromUtf8(std::string_view utf8, std::u16string& units);

// A character cut by the end of one piece, completed from the front of the next.
class Utf8Carry {
 public:
  enum class State { NeedMore, Complete, Invalid };

  bool empty() const { return size_ == 0; }
  // Keeps the cut bytes: 1 to 3 bytes that CheckUtf8 found truncated.
  void Start(std::span<const std::uint8_t> cut);
  // Moves what the character still needs from the front of `piece` and tells
  // whether it is now whole and valid.
  State Feed(std::span<const std::uint8_t>& piece);
  // The character once Complete; valid until the next Start or Clear.
  std::string_view text() const { return {reinterpret_cast<const char*>(bytes_), size_}; }
  void Clear() { size_ = 0; }

 private:
  std::uint8_t bytes_[4] = {};
  std::size_t size_ = 0;
};

}  // namespace tamro::compile
