#include "duib/name_dictionary.h"

namespace tamro::duib {
// 47 words: a scan that compares the length first is as fast as anything cleverer.
std::optional<std::uint16_t> IdOf(std::string_view word) {
  for (const BuiltinWord& entry : kBuiltinWords) {
    if (entry.word.size() == word.size() && entry.word == word) return entry.id;
  }
  return std::nullopt;
}

}  // namespace tamro::duib
