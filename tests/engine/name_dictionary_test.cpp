#include "engine/name_dictionary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tamro {
namespace {

TEST(NameDictionary, HoldsTheBuiltinNames) {
  const struct {
    std::uint16_t id;
    const wchar_t* name;
  } cases[] = {
      {0x8000, L"Element"},
      {0x8001, L"duixml"},
      {0x8002, L"resid"},
      {0x8005, L"stylesheets"},
      {0x8017, L"EdgeHighlightColor"},
      {0x8018, L"EdgeHighlightThickness"},
      {0x801B, L"Enabled"},
      {0x801C, L"Pressed"},
      {0x802C, L"topleft"},
      {0x802F, L"middleleft"},
      {0x803F, L"borderlayout()"},
      // IDs without an entry.
      {0x802D, L""},
      {0x802E, L""},
      {0x8030, L""},
      {0x803E, L""},
      {0x8040, L""},
      {0xFFFF, L""},
      {0x0000, L""},
      {0x7FFF, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameDictionary::Lookup(c.id), c.name) << std::hex << c.id;
  }
}

TEST(NameDictionary, EveryBuiltinIdHasADistinctNonEmptyName) {
  std::set<std::wstring> names;
  std::size_t known = 0;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
    const std::wstring_view name = NameDictionary::Lookup(static_cast<std::uint16_t>(id));
    if (name.empty()) continue;
    ++known;
    EXPECT_GE(id, 0x8000u);
    EXPECT_TRUE(names.emplace(name).second) << "duplicate name for " << std::hex << id;
  }
  EXPECT_EQ(known, 47u);
}

}  // namespace
}  // namespace tamro
