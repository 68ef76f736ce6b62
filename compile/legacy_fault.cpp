#include "compile/legacy_fault.h"

#include <string>

namespace tamro::compile {
namespace {

// Runs of bytes above 0x7F up to this length are searched byte by byte, which
// costs the square of the run.
constexpr std::size_t kByteSearchLimit = 256;

// A cut strictly between `low` and `high` just after a byte below 0x80, near the
// middle; 0 when there is none. No code page begins a multi-byte character with
// such a byte, so these cuts never split one.
std::size_t AsciiCutBetween(std::span<const std::uint8_t> bytes, std::size_t low,
                            std::size_t high) {
  const std::size_t middle = low + (high - low) / 2;
  for (std::size_t i = middle; i > low; --i) {
    if (bytes[i - 1] < 0x80) return i;
  }
  for (std::size_t i = middle + 1; i < high; ++i) {
    if (bytes[i - 1] < 0x80) return i;
  }
  return 0;
}

}  // namespace

std::size_t AcceptedLength(LegacyDecoder decode, std::span<const std::uint8_t> bytes) {
  std::u16string units;
  const auto accepts = [&](std::size_t from, std::size_t to) {
    units.clear();
    return decode(bytes.subspan(from, to - from), units);
  };
  // [0, low) is accepted and [0, high) refused; both cuts lie between characters,
  // so each step decodes only the bytes between them.
  std::size_t low = 0;
  std::size_t high = bytes.size();
  if (high == 0) return 0;
  for (std::size_t cut = AsciiCutBetween(bytes, low, high); cut != 0;
       cut = AsciiCutBetween(bytes, low, high)) {
    if (accepts(low, cut)) {
      low = cut;
    } else {
      high = cut;
    }
  }
  // Between them stand bytes above 0x7F but perhaps the last: the longest start
  // accepted ends where the refused character begins.
  if (high - low <= kByteSearchLimit) {
    for (std::size_t end = high - 1; end > low; --end) {
      if (accepts(low, end)) return end;
    }
  }
  return low;
}

}  // namespace tamro::compile
