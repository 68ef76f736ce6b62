#include "engine/name_dictionary.h"

#include <array>
#include <iterator>

namespace tamro {
namespace {

struct BuiltinName {
  std::uint16_t id;
  std::wstring_view name;
};

constexpr BuiltinName kBuiltinNames[] = {
    {0x8000, L"Element"},
    {0x8001, L"duixml"},
    {0x8002, L"resid"},
    {0x8003, L"true"},
    {0x8004, L"false"},
    {0x8005, L"stylesheets"},
    {0x8006, L"if"},
    {0x8007, L"unless"},
    {0x8008, L"style"},
    {0x8009, L"base"},
    {0x800A, L"sheet"},
    {0x800B, L"accessible"},
    {0x800C, L"font"},
    {0x800D, L"accrole"},
    {0x800E, L"background"},
    {0x800F, L"foreground"},
    {0x8010, L"id"},
    {0x8011, L"content"},
    {0x8012, L"contentalign"},
    {0x8013, L"class"},
    {0x8014, L"bordercolor"},
    {0x8015, L"borderthickness"},
    {0x8016, L"borderstyle"},
    {0x8017, L"EdgeHighlightColor"},
    {0x8018, L"EdgeHighlightThickness"},
    {0x8019, L"layout"},
    {0x801A, L"layoutpos"},
    {0x801B, L"Enabled"},
    {0x801C, L"Pressed"},
    {0x801D, L"mousewithin"},
    {0x801E, L"captured"},
    {0x801F, L"active"},
    {0x8020, L"inactive"},
    {0x8021, L"padding"},
    {0x8022, L"accname"},
    {0x8023, L"margin"},
    {0x8024, L"width"},
    {0x8025, L"height"},
    {0x8026, L"top"},
    {0x8027, L"bottom"},
    {0x8028, L"left"},
    {0x8029, L"right"},
    {0x802A, L"client"},
    {0x802B, L"none"},
    {0x802C, L"topleft"},
    {0x802F, L"middleleft"},
    {0x803F, L"borderlayout()"},
};
static_assert(std::size(kBuiltinNames) == NameDictionary::kSize);

constexpr std::uint16_t kFirstId = 0x8000;
constexpr std::size_t kSlots = 0x40;  // every built-in ID lies below 0x8040

// The names by ID - 0x8000, built at compile time: Lookup is one bounds check and
// one load.
constexpr std::array<std::wstring_view, kSlots> kNamesById = [] {
  std::array<std::wstring_view, kSlots> names{};
  for (const BuiltinName& entry : kBuiltinNames) names[entry.id - kFirstId] = entry.name;
  return names;
}();

}  // namespace

std::wstring_view NameDictionary::Lookup(std::uint16_t id) {
  const std::size_t slot = static_cast<std::size_t>(id) - kFirstId;
  return id >= kFirstId && slot < kSlots ? kNamesById[slot] : std::wstring_view();
}

}  // namespace tamro
