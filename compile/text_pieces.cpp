#include "compile/text_pieces.h"

#include <algorithm>

#include "compile/legacy_fault.h"
#include "compile/messages.h"

namespace tamro::compile {
namespace {

// Decoded text is made this many input bytes at a time, whatever the size of the
// source's pieces, so its buffer stays small.
constexpr std::size_t kDecodeChunk = std::size_t{1} << 16;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

TextPieces::TextPieces(ByteSource& source, const DecodePolicy& policy, EncodingChoice choice)
    : source_(source),
      legacy_(policy.legacy),
      encoding_(choice.encoding == TextEncoding::Legacy && policy.legacy == nullptr
                    ? TextEncoding::Utf8
                    : choice.encoding),
      markLeft_(choice.markLength) {}

std::string_view TextPieces::Next() {
  if (!error_.empty()) return {};
  switch (encoding_) {
    case TextEncoding::Utf8:
      return NextUtf8();
    case TextEncoding::Legacy:
      return NextLegacy();
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      break;
  }
  return NextUtf16();
}

// The source's next piece, past the byte-order mark; empty at the end.
std::span<const std::uint8_t> TextPieces::NextBytes() {
  while (!sourceEnded_) {
    std::span<const std::uint8_t> piece = source_.Next();
    if (piece.empty()) sourceEnded_ = true;
    const std::size_t skip = std::min(markLeft_, piece.size());
    markLeft_ -= skip;
    piece = piece.subspan(skip);
    if (!piece.empty()) return piece;
  }
  return {};
}

// Valid bytes go out as they stand in the source's piece; only a character cut
// by a piece's end is put together.
std::string_view TextPieces::NextUtf8() {
  for (;;) {
    if (rest_.empty()) {
      rest_ = NextBytes();
      if (rest_.empty()) {
        if (!cut_.empty()) error_ = message::kInvalidUtf8;
        return {};
      }
    }
    if (!cut_.empty()) {
      const Utf8Carry::State state = cut_.Feed(rest_);
      if (state == Utf8Carry::State::NeedMore) continue;
      if (state == Utf8Carry::State::Invalid) {
        error_ = message::kInvalidUtf8;
        return {};
      }
      const std::string_view whole = cut_.text();
      cut_.Clear();
      return whole;
    }
    const Utf8Check check = CheckUtf8(rest_);
    const std::span<const std::uint8_t> valid = rest_.first(check.valid);
    if (check.truncated) {
      cut_.Start(rest_.subspan(check.valid));
    } else if (check.valid != rest_.size()) {
      error_ = message::kInvalidUtf8;
    }
    rest_ = {};
    if (!valid.empty() || !error_.empty()) return AsText(valid);
  }
}

std::string_view TextPieces::NextUtf16() {
  const bool bigEndian = encoding_ == TextEncoding::Utf16Be;
  const auto unitOf = [bigEndian](std::uint8_t first, std::uint8_t second) {
    return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  text_.clear();
  for (;;) {
    if (rest_.empty()) {
      rest_ = NextBytes();
      if (rest_.empty()) {
        if (oddByte_ >= 0 || utf16_.pending()) error_ = message::kInvalidUtf16;
        return text_;
      }
    }
    const std::span<const std::uint8_t> chunk = rest_.first(std::min(rest_.size(), kDecodeChunk));
    rest_ = rest_.subspan(chunk.size());
    std::size_t at = 0;
    if (oddByte_ >= 0) {
      const char16_t unit = unitOf(static_cast<std::uint8_t>(oddByte_), chunk[0]);
      oddByte_ = -1;
      at = 1;
      if (!utf16_.Append(unit, text_)) error_ = message::kInvalidUtf16;
    }
    for (; at + 1 < chunk.size() && error_.empty(); at += 2) {
      if (!utf16_.Append(unitOf(chunk[at], chunk[at + 1]), text_)) {
        error_ = message::kInvalidUtf16;
      }
    }
    if (!error_.empty()) return text_;
    if (at < chunk.size()) oddByte_ = chunk[at];
    if (!text_.empty()) return text_;
  }
}

std::string_view TextPieces::NextLegacy() {
  for (;;) {
    const std::span<const std::uint8_t> lines = NextLines();
    if (lines.empty()) return {};
    units_.clear();
    if (!legacy_(lines, units_)) {
      error_ = message::kInvalidCodePage;
      const std::size_t accepted = AcceptedLength(legacy_, lines);
      units_.clear();
      if (accepted == 0 || !legacy_(lines.first(accepted), units_)) units_.clear();
    }
    // A piece holds whole characters, so no surrogate pair crosses two of them.
    Utf16ToUtf8 utf16;
    text_.clear();
    for (const char16_t unit : units_) {
      if (!utf16.Append(unit, text_)) {
        error_ = message::kInvalidCodePage;
        break;
      }
    }
    if (utf16.pending()) error_ = message::kInvalidCodePage;
    if (!text_.empty() || !error_.empty()) return text_;
  }
}

// The next bytes for the legacy decoder: they end just after a byte below 0x40,
// or at the end of the input (see LegacyDecoder). A run without such a byte that
// is longer than a chunk is gathered in full.
std::span<const std::uint8_t> TextPieces::NextLines() {
  for (;;) {
    if (rest_.empty()) {
      rest_ = NextBytes();
      if (rest_.empty()) {
        lines_.swap(line_);
        line_.clear();
        return AsBytes(lines_);
      }
    }
    const std::span<const std::uint8_t> chunk = rest_.first(std::min(rest_.size(), kDecodeChunk));
    const std::string_view chunkText = AsText(chunk);
    std::size_t cut = chunkText.size();
    while (cut > 0 && static_cast<unsigned char>(chunkText[cut - 1]) >= 0x40) {
      --cut;
    }
    if (cut == 0) {
      line_.append(chunkText);
      rest_ = rest_.subspan(chunk.size());
      continue;
    }
    const std::span<const std::uint8_t> head = rest_.first(cut);
    rest_ = rest_.subspan(head.size());
    if (line_.empty()) return head;
    line_.append(AsText(head));
    lines_.swap(line_);
    line_.clear();
    return AsBytes(lines_);
  }
}

}  // namespace tamro::compile
