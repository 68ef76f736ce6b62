// The input as pieces of valid UTF-8, whatever its encoding: the one stage that
// knows about encodings. Invalid bytes end the pieces; they stand right after the
// last piece delivered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "compile/byte_source.h"
#include "compile/encoding_choice.h"
#include "compile/text_decoder.h"
#include "compile/utf16_to_utf8.h"
#include "compile/utf8.h"

namespace tamro::compile {

class TextPieces {
 public:
  // Reads `source` from its start in the encoding chosen.
  TextPieces(ByteSource& source, const DecodePolicy& policy, EncodingChoice choice);

  // The next piece of text, valid until the next call. Empty at the end of the
  // input, or when invalid bytes stop it (error() then tells which).
  std::string_view Next();

  // Empty unless invalid bytes stopped the text.
  std::string_view error() const { return error_; }

 private:
  std::span<const std::uint8_t> NextBytes();
  std::string_view NextUtf8();
  std::string_view NextUtf16();
  std::string_view NextLegacy();
  std::span<const std::uint8_t> NextLines();

  ByteSource& source_;
  const LegacyDecoder legacy_;
  const TextEncoding encoding_;
  std::size_t markLeft_;  // bytes of the byte-order mark not yet skipped
  bool sourceEnded_ = false;
  std::span<const std::uint8_t> rest_;  // of the source's current piece, not yet decoded
  std::string_view error_;

  Utf8Carry cut_;         // UTF-8: a character cut by a piece's end
  Utf16ToUtf8 utf16_;     // UTF-16: a high surrogate waiting for its partner
  int oddByte_ = -1;      // UTF-16: a unit's first byte, at a piece's end
  std::u16string units_;  // legacy: the decoder's output
  std::string line_;      // legacy: a line that goes on into the next piece
  std::string lines_;     // legacy: lines handed to the decoder
  std::string text_;      // decoded text
};

}  // namespace tamro::compile
