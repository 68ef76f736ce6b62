#include "engine/convert_item.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/convert_status.h"
#include "tests/support/duib_builder.h"

namespace tamro {
namespace {

using test::DuibBuilder;
namespace b = test::builtin;

TEST(IsDuibBuffer, RecognisesTheSignature) {
  const struct {
    std::vector<std::uint8_t> bytes;
    ItemCode expected;
  } cases[] = {
      {{}, ResultNotDuib},
      {{'d', 'u', 'i', 'b'}, ResultNotDuib},
      {{'d', 'u', 'i', 'b', 5}, ResultOk},
      {{'D', 'U', 'I', 'B', 5, 0, 0, 0}, ResultOk},
      {{'d', 'U', 'i', 'B', 5}, ResultOk},
      {{'d', 'u', 'i', 'b', 4, 0, 0, 0}, ResultNotDuib},
      {{'d', 'u', 'i', 'b', 0x25}, ResultNotDuib},  // '%' is not a letter
      {{'d', 0, 'i', 'b', 5}, ResultNotDuib},
      {{'<', 'd', 'u', 'i', 'b'}, ResultNotDuib},
      {{'d', 'u', 'i', 'b', 5, 1, 0, 0}, ResultOk},  // version 0x105 passes here
  };
  for (const auto& c : cases) {
    // An exact-size heap copy lets ASan catch a read past the end.
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.bytes.size() + 0]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    EXPECT_EQ(IsDuibBuffer(exact.get(), static_cast<std::uint32_t>(c.bytes.size())), c.expected)
        << c.bytes.size() << " bytes";
  }
  EXPECT_EQ(IsDuibBuffer(nullptr, 100), ResultNotDuib);
}

struct ItemCase {
  const char* what;
  std::vector<std::uint8_t> bytes;
  ItemCode code;
  std::uint32_t status;
  std::uint32_t unknown;
  bool residFailed;
};

std::vector<ItemCase> ItemCases() {
  DuibBuilder ok;
  ok.Empty(b::Element);

  DuibBuilder warnings;
  warnings.Empty(0x9999);
  warnings.Resid(0, 7);

  DuibBuilder count;
  count.Empty(b::Element);
  count.elementCount = 9;

  DuibBuilder signature;
  signature.version = 0x105;

  return {
      {"success leaves the code alone", ok.Build(), ResultOk, StatusOk, 0, false},
      {"warnings carry their details", warnings.Build(), ResultWarnings, StatusWarnings, 1, true},
      {"count mismatch fails without details", count.Build(), ResultConvertFailed,
       StatusElementCount, 0, false},
      {"bad version fails", signature.Build(), ResultConvertFailed, StatusBadSignature, 0, false},
      {"short blob fails", std::vector<std::uint8_t>(10, 0), ResultConvertFailed, StatusSizeCheck,
       0, false},
  };
}

TEST(ConvertItem, MapsTheStatusOntoTheItem) {
  for (const ItemCase& c : ItemCases()) {
    ItemResult result;
    result.name = L"item";
    std::wstring text;
    ConvertItem(result, c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size()), text);
    EXPECT_EQ(result.code, c.code) << c.what;
    EXPECT_EQ(result.status, c.status) << c.what;
    EXPECT_EQ(result.unknownCount, c.unknown) << c.what;
    EXPECT_EQ(result.residFailed, c.residFailed) << c.what;
    EXPECT_EQ(result.name, L"item") << c.what;
  }
}

TEST(ConvertItem, OutputBombIsAnItemFailure) {
  DuibBuilder d;
  const auto big = d.String(std::u16string(1 << 16, u'y'));
  for (int i = 0; i < 1100; ++i) d.Empty(b::Element, {{b::id, big}});
  const std::vector<std::uint8_t> bytes = d.Build();
  ItemResult result;
  std::wstring text;
  ConvertItem(result, bytes.data(), static_cast<std::uint32_t>(bytes.size()), text);
  EXPECT_EQ(result.code, ResultConvertFailed);
  EXPECT_EQ(result.status, StatusTooLarge);
  EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace tamro
