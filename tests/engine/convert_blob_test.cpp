#include "engine/convert_blob.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/builders/duib_builder.h"
#include "tests/engine/engine_support.h"

namespace tamro {
namespace {

using test::DuibBuilder;
namespace b = test::builtin;

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
    EXPECT_EQ(IsDuibBuffer(exact.get(), static_cast<std::uint32_t>(c.bytes.size())), c.duib)
        << c.bytes.size() << " bytes";
  }
  EXPECT_FALSE(IsDuibBuffer(nullptr, 100));
}

TEST(ConvertBlob, ReportsTheWarningDetails) {
  DuibBuilder d;
  d.Empty(0x9999).Open(0x7777).Close(0x7777);
  d.Resid(0, 7);
  const std::vector<std::uint8_t> bytes = d.Build();
  test::StringSink sink;
  const ConvertResult result =
      ConvertBlob(bytes.data(), static_cast<std::uint32_t>(bytes.size()), test::ShowUnits, sink);
  EXPECT_EQ(result.status, ConvertStatus::Warnings);
  EXPECT_EQ(result.unknownCount, 3u);
  EXPECT_TRUE(result.residFailed);
  EXPECT_EQ(sink.text,
            "<UNKNOWN_ELEM(9999)/>\r\n<UNKNOWN_ELEM(7777)>\r\n</UNKNOWN_ELEM(7777)>\r\n");
}

}  // namespace
}  // namespace tamro
