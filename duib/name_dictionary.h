// The built-in vocabulary: the 47 words that IDs 0x8000 and above stand for, which
// a blob uses without storing their text. Both ways: a reader asks for the word
// of an ID, a writer for the ID of a word. Words are ASCII and case-sensitive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tamro::duib {

struct BuiltinWord {
  std::uint16_t id;
  std::string_view word;
};

// The whole table, in ascending ID order.
inline constexpr std::array<BuiltinWord, 47> kBuiltinWords = {{
    {0x8000, "Element"},
    {0x8001, "duixml"},
    {0x8002, "resid"},
    {0x8003, "true"},
    {0x8004, "false"},
    {0x8005, "stylesheets"},
    {0x8006, "if"},
    {0x8007, "unless"},
    {0x8008, "style"},
    {0x8009, "base"},
    {0x800A, "sheet"},
    {0x800B, "accessible"},
    {0x800C, "font"},
    {0x800D, "accrole"},
    {0x800E, "background"},
    {0x800F, "foreground"},
    {0x8010, "id"},
    {0x8011, "content"},
    {0x8012, "contentalign"},
    {0x8013, "class"},
    {0x8014, "bordercolor"},
    {0x8015, "borderthickness"},
    {0x8016, "borderstyle"},
    {0x8017, "EdgeHighlightColor"},
    {0x8018, "EdgeHighlightThickness"},
    {0x8019, "layout"},
    {0x801A, "layoutpos"},
    {0x801B, "Enabled"},
    {0x801C, "Pressed"},
    {0x801D, "mousewithin"},
    {0x801E, "captured"},
    {0x801F, "active"},
    {0x8020, "inactive"},
    {0x8021, "padding"},
    {0x8022, "accname"},
    {0x8023, "margin"},
    {0x8024, "width"},
    {0x8025, "height"},
    {0x8026, "top"},
    {0x8027, "bottom"},
    {0x8028, "left"},
    {0x8029, "right"},
    {0x802A, "client"},
    {0x802B, "none"},
    {0x802C, "topleft"},
    {0x802F, "middleleft"},
    {0x803F, "borderlayout()"},
}};

// Every built-in ID lies below this one.
inline constexpr std::uint32_t kBuiltinIdEnd = 0x8040;

// The words by ID - 0x8000, for a lookup of one index.
inline constexpr std::array<std::string_view, kBuiltinIdEnd - 0x8000> kWordsById = [] {
  std::array<std::string_view, kBuiltinIdEnd - 0x8000> words{};
  for (const BuiltinWord& entry : kBuiltinWords) words[entry.id - 0x8000] = entry.word;
  return words;
}();

// The word of `id`, or an empty view when the table has none. Inline: the reader
// asks for every name of a blob.
inline std::string_view WordOf(std::uint16_t id) {
  const std::size_t slot = static_cast<std::size_t>(id) - 0x8000;  // wraps below 0x8000
  return slot < kWordsById.size() ? kWordsById[slot] : std::string_view();
}

// The ID of `word` (exactly as written), or nullopt when it is no built-in word.
std::optional<std::uint16_t> IdOf(std::string_view word);

}  // namespace tamro::duib
