#include "engine/name_dictionary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tamro {
namespace {

TEST(NameDictionary, HoldsTheBuiltinNames) {
  const struct {
    std::uint16_t id;
    const char* name;
  } cases[] = {
      {0x8000, "Element"},
      {0x8001, "duixml"},
      {0x8002, "resid"},
      {0x8005, "stylesheets"},
      {0x8017, "EdgeHighlightColor"},
      {0x8018, "EdgeHighlightThickness"},
      {0x801B, "Enabled"},
      {0x801C, "Pressed"},
      {0x802C, "topleft"},
      {0x802F, "middleleft"},
      {0x803F, "borderlayout()"},
      // IDs without an entry.
      {0x802D, ""},
      {0x802E, ""},
      {0x8030, ""},
      {0x803E, ""},
      {0x8040, ""},
      {0xFFFF, ""},
      {0x0000, ""},
      {0x7FFF, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameDictionary::Lookup(c.id).view(), c.name) << std::hex << c.id;
  }
}

TEST(NameDictionary, EveryBuiltinIdHasADistinctNonEmptyName) {
  std::set<std::string> names;
  std::size_t known = 0;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
    const std::string_view name = NameDictionary::Lookup(static_cast<std::uint16_t>(id)).view();
    if (name.empty()) continue;
    ++known;
    EXPECT_GE(id, 0x8000u);
    EXPECT_TRUE(names.emplace(name).second) << "duplicate name for " << std::hex << id;
  }
  EXPECT_EQ(known, 47u);
}

}  // namespace
}  // namespace tamro
