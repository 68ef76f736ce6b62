#include "compile/encoding_choice.h"

#include <algorithm>
#include <cstring>

#include "compile/utf8.h"

namespace tamro::compile {
namespace {

// True when the whole input is valid UTF-8 and holds a byte above 0x7F.
bool IsUtf8BeyondAscii(ByteSource& source) {
  Utf8Carry cut;
  bool beyondAscii = false;
  for (auto piece = source.Next(); !piece.empty(); piece = source.Next()) {
    if (!cut.empty()) {
      const Utf8Carry::State state = cut.Feed(piece);
      if (state == Utf8Carry::State::NeedMore) continue;
      if (state == Utf8Carry::State::Invalid) return false;
      cut.Clear();
    }
    const Utf8Check check = CheckUtf8(piece);
    beyondAscii = beyondAscii || check.nonAscii;
    if (check.truncated) {
      cut.Start(piece.subspan(check.valid));
    } else if (check.valid != piece.size()) {
      return false;
    }
  }
  return cut.empty() && beyondAscii;
}

}  // namespace

std::size_t ReadHead(ByteSource& source, std::span<std::uint8_t> head) {
  std::size_t filled = 0;
  while (filled < head.size()) {
    const auto piece = source.Next();
    if (piece.empty()) break;
    const std::size_t take = std::min(piece.size(), head.size() - filled);
    std::memcpy(head.data() + filled, piece.data(), take);
    filled += take;
  }
  return filled;
}

EncodingChoice ChooseEncoding(ByteSource& source, const DecodePolicy& policy) {
  std::uint8_t head[3] = {};
  const std::size_t size = ReadHead(source, head);
  source.Rewind();
  if (size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    return {TextEncoding::Utf8, 3};
  }
  if (size >= 2 && head[0] == 0xFF && head[1] == 0xFE) return {TextEncoding::Utf16Le, 2};
  if (size >= 2 && head[0] == 0xFE && head[1] == 0xFF) return {TextEncoding::Utf16Be, 2};
  if (policy.legacy == nullptr) return {TextEncoding::Utf8, 0};
  const bool utf8 = IsUtf8BeyondAscii(source);
  source.Rewind();
  return {utf8 ? TextEncoding::Utf8 : TextEncoding::Legacy, 0};
}

}  // namespace tamro::compile
