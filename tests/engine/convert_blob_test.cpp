#include "engine/convert_blob.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/builders/duib_builder.h"
#include "tests/engine/engine_support.h"

namespace tamro {
namespace {

using test::DuibBuilder;
namespace b = test::builtin;

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
