#include "duib/name_dictionary.h"

namespace tamro::duib {
namespace {

// The words by ID - 0x8000, for a lookup of one index.
constexpr std::array<std::string_view, kBuiltinIdEnd - 0x8000> kWordsById = [] {
  std::array<std::string_view, kBuiltinIdEnd - 0x8000> words{};
  for (const BuiltinWord& entry : kBuiltinWords) words[entry.id - 0x8000] = entry.word;
  return words;
}();

}  // namespace

std::string_view WordOf(std::uint16_t id) {
  const std::size_t slot = static_cast<std::size_t>(id) - 0x8000;  // wraps below 0x8000
  return slot < kWordsById.size() ? kWordsById[slot] : std::string_view();
}

// 47 words: a scan that compares the length first is as fast as anything cleverer.
std::optional<std::uint16_t> IdOf(std::string_view word) {
  for (const BuiltinWord& entry : kBuiltinWords) {
    if (entry.word.size() == word.size() && entry.word == word) return entry.id;
  }
  return std::nullopt;
}

}  // namespace tamro::duib
