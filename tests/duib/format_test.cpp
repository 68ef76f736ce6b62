// The format's own pieces: the signature test, the built-in words both ways and
// the placeholders of the text form, each from a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "duib/blob_view.h"
#include "duib/name_dictionary.h"
#include "duib/placeholder.h"

namespace tamro {
namespace {

TEST(IsDuibBuffer, RecognisesTheSignature) {
  const struct {
    std::vector<std::uint8_t> bytes;
    bool duib;
  } cases[] = {
      {{}, false},
      {{'d', 'u', 'i', 'b'}, false},
      {{'d', 'u', 'i', 'b', 5}, true},
      {{'D', 'U', 'I', 'B', 5, 0, 0, 0}, true},
      {{'d', 'U', 'i', 'B', 5}, true},
      {{'d', 'u', 'i', 'b', 4, 0, 0, 0}, false},
      {{'d', 'u', 'i', 'b', 0x25}, false},  // '%' is not a letter
      {{'d', 0, 'i', 'b', 5}, false},
      {{'<', 'd', 'u', 'i', 'b'}, false},
      {{'d', 'u', 'i', 'b', 5, 1, 0, 0}, true},  // version 0x105 passes here
  };
  for (const auto& c : cases) {
    // An exact-size heap copy lets ASan catch a read past the end.
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.bytes.size() + 0]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    EXPECT_EQ(duib::IsDuibBuffer(exact.get(), static_cast<std::uint32_t>(c.bytes.size())), c.duib)
        << c.bytes.size() << " bytes";
  }
  EXPECT_FALSE(duib::IsDuibBuffer(nullptr, 100));
}

TEST(NameDictionary, HoldsTheBuiltinWordsBothWays) {
  const struct {
    std::uint16_t id;
    const char* word;
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
      // IDs without a word.
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
    EXPECT_EQ(duib::WordOf(c.id), c.word) << std::hex << c.id;
    if (*c.word != '\0') {
      EXPECT_EQ(duib::IdOf(c.word), c.id) << c.word;
    }
  }
  // Words are case-sensitive and whole.
  for (const char* other :
       {"element", "ELEMENT", "Elemen", "Elements", "borderlayout", "", " id"}) {
    EXPECT_EQ(duib::IdOf(other), std::nullopt) << other;
  }
}

TEST(NameDictionary, EveryBuiltinIdHasADistinctWordThatLeadsBack) {
  std::set<std::string> words;
  std::size_t known = 0;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
    const std::string_view word = duib::WordOf(static_cast<std::uint16_t>(id));
    if (word.empty()) continue;
    ++known;
    EXPECT_GE(id, 0x8000u);
    EXPECT_TRUE(words.emplace(word).second) << "duplicate word for " << std::hex << id;
    EXPECT_EQ(duib::IdOf(word), id);
  }
  EXPECT_EQ(known, 47u);
}

TEST(Placeholder, FormatsAndReadsBack) {
  const struct {
    std::uint16_t id;
    duib::NameKind kind;
    const char* text;
  } cases[] = {
      {0x5, duib::NameKind::Element, "UNKNOWN_ELEM(   5)"},
      {0x41, duib::NameKind::Attribute, "UNKNOWN_ATTR(  41)"},
      {0x0, duib::NameKind::Value, "UNKNOWN_VAL(   0)"},
      {0x9C40, duib::NameKind::Element, "UNKNOWN_ELEM(9C40)"},
      {0xFFFF, duib::NameKind::Value, "UNKNOWN_VAL(FFFF)"},
      {0x100, duib::NameKind::Attribute, "UNKNOWN_ATTR( 100)"},
  };
  for (const auto& c : cases) {
    char out[duib::kMaxPlaceholder];
    EXPECT_EQ(std::string(out, duib::FormatPlaceholder(c.id, c.kind, out)), c.text);
    EXPECT_EQ(duib::ParsePlaceholder(c.text, c.kind), c.id) << c.text;
  }
}

TEST(Placeholder, ReadsOnlyTheExactForm) {
  for (const char* text :
       {"UNKNOWN_ELEM(0041)", "UNKNOWN_ELEM(  4a)", "UNKNOWN_ELEM(41)", "UNKNOWN_ELEM(   41)",
        "UNKNOWN_ELEM(    )", "UNKNOWN_ELEM( 4 1)", "UNKNOWN_ELEM(  41", "UNKNOWN_ELEM(  41))",
        "unknown_elem(  41)", "UNKNOWN_ATTR(  41)", "UNKNOWN_ELEM(1 )", "x"}) {
    EXPECT_EQ(duib::ParsePlaceholder(text, duib::NameKind::Element), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace tamro
