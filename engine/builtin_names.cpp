#include "engine/builtin_names.h"

#include <array>

#include "duib/name_dictionary.h"

namespace tamro {
namespace {

constexpr std::size_t kWordBytes = [] {
  std::size_t total = 0;
  for (const duib::BuiltinWord& entry : duib::kBuiltinWords) total += entry.word.size();
  return total;
}();

// The words back to back, padded.
constexpr PaddedArray<kWordBytes> kWordText = [] {
  PaddedArray<kWordBytes> text;
  std::size_t at = 0;
  for (const duib::BuiltinWord& entry : duib::kBuiltinWords) {
    for (const char c : entry.word) text.chars[at++] = c;
  }
  return text;
}();

}  // namespace

// Pieces of kWordText.
constinit const std::array<PaddedPiece, kBuiltinSlots> kBuiltinNamesById = [] {
  std::array<PaddedPiece, kBuiltinSlots> names{};
  std::size_t at = 0;
  for (const duib::BuiltinWord& entry : duib::kBuiltinWords) {
    names[entry.id - 0x8000] = kWordText.Piece(at, entry.word.size());
    at += entry.word.size();
  }
  return names;
}();

}  // namespace tamro
