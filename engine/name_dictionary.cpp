#include "engine/name_dictionary.h"

#include <array>
#include <iterator>

namespace tamro {
namespace {

struct BuiltinName {
  std::uint16_t id;
  std::string_view name;
};

constexpr BuiltinName kBuiltinNames[] = {
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
};
static_assert(std::size(kBuiltinNames) == NameDictionary::kSize);

// The names back to back, padded, built at compile time.
constexpr std::size_t kNameBytes = [] {
  std::size_t total = 0;
  for (const BuiltinName& entry : kBuiltinNames) total += entry.name.size();
  return total;
}();

constexpr PaddedArray<kNameBytes> kNameText = [] {
  PaddedArray<kNameBytes> text;
  std::size_t at = 0;
  for (const BuiltinName& entry : kBuiltinNames) {
    for (const char c : entry.name) text.chars[at++] = c;
  }
  return text;
}();

}  // namespace

// The names by ID - 0x8000, pieces of kNameText.
constinit const std::array<PaddedPiece, NameDictionary::kSlots> NameDictionary::kNamesById = [] {
  std::array<PaddedPiece, kSlots> names{};
  std::size_t at = 0;
  for (const BuiltinName& entry : kBuiltinNames) {
    names[entry.id - kFirstId] = kNameText.Piece(at, entry.name.size());
    at += entry.name.size();
  }
  return names;
}();

}  // namespace tamro
