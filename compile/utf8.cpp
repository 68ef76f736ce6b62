#include "compile/utf8.h"

#include <cstring>

#include "bytes/utf16.h"
#include "compile/byte_words.h"

namespace tamro::compile {
namespace {

// Where the first byte of 0x80 or above stands, from `at`: eight bytes at a time.
std::size_t SkipAscii(const std::uint8_t* bytes, std::size_t at, std::size_t size) {
  while (size - at >= 8) {
    if (LoadWord(reinterpret_cast<const char*>(bytes + at)) & kHighBits) break;
    at += 8;
  }
  while (at < size && bytes[at] < 0x80) ++at;
  return at;
}

}  // namespace

Utf8Check CheckUtf8(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* p = bytes.data();
  const std::size_t size = bytes.size();
  std::size_t at = 0;
  bool nonAscii = false;
  for (;;) {
    at = SkipAscii(p, at, size);
    if (at == size) return {size, false, nonAscii};
    nonAscii = true;
    const std::uint8_t lead = p[at];
    // The second byte's range excludes overlong forms, surrogates and what lies
    // past U+10FFFF; later bytes are plain continuation bytes.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return {at, false, true};
    }
    for (std::size_t k = 1; k < length; ++k) {
      if (at + k == size) return {at, true, true};
      const std::uint8_t next = p[at + k];
      if (k == 1 ? next < low || next > high : (next & 0xC0) != 0x80) return {at, false, true};
    }
    at += length;
  }
}

void AppendUtf8(char32_t codePoint, std::string& out) {
  const auto c = static_cast<std::uint32_t>(codePoint);
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendUtf16FromUtf8(std::string_view utf8, std::u16string& units) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    const std::size_t length = Utf8Length(lead);
    if (length == 1) {
      units.push_back(lead);
      ++i;
      continue;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      code = (code << 6) | (static_cast<std::uint8_t>(utf8[i + k]) & 0x3F);
    }
    AppendUtf16(code, units);
    i += length;
  }
}

void Utf8Carry::Start(std::span<const std::uint8_t> cut) {
  size_ = cut.size() < sizeof bytes_ ? cut.size() : sizeof bytes_;
  if (size_ > 0) std::memcpy(bytes_, cut.data(), size_);
}

Utf8Carry::State Utf8Carry::Feed(std::span<const std::uint8_t>& piece) {
  const std::size_t missing = Utf8Length(bytes_[0]) - size_;
  const std::size_t take = missing < piece.size() ? missing : piece.size();
  if (take > 0) std::memcpy(bytes_ + size_, piece.data(), take);
  size_ += take;
  piece = piece.subspan(take);
  const Utf8Check check = CheckUtf8({bytes_, size_});
  if (check.truncated) return State::NeedMore;
  return check.valid == size_ ? State::Complete : State::Invalid;
}

}  // namespace tamro::compile
