// The rendering's limits: the output cap, streaming in bounded chunks that the
// sink may hold, strings that take the pool past its budget, and memory that
// follows the strings used rather than the table's size.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "engine/duib_convert.h"
#include "engine/padded_text.h"
#include "tests/builders/duib_builder.h"
#include "tests/engine/engine_support.h"
#include "tests/support/replaced_allocation.h"
#include "tests/support/same_bytes.h"

namespace tamro {
namespace {

using test::DuibBuilder;
using test::Render;
using test::Rendered;
namespace b = test::builtin;

// Converts the blob of `d` with the default cap into a sink that counts the bytes
// and writes without keeping them (outputs of hundreds of MiB).
ConvertStatus Stream(const DuibBuilder& d, test::StringSink& sink) {
  const std::vector<std::uint8_t> bytes = d.Build();
  CDuibConvert converter(test::ShowUnits);
  return converter.Convert(bytes.data(), static_cast<std::uint32_t>(bytes.size()), sink).status;
}

// Output bombs: no more than the cap ever reaches the sink; the conversion fails.
TEST(Render, OutputThatWouldPassTheCapFails) {
  DuibBuilder d;
  const auto v = d.String(u"0123456789");
  d.Open(b::duixml);
  for (int i = 0; i < 100; ++i) d.Empty(b::Element, {{b::id, v}});
  d.Close(b::duixml);
  const std::size_t full = Render(d).text.size();
  ASSERT_GT(full, 0u);

  const Rendered exact = Render(d, full);
  EXPECT_EQ(exact.status, ConvertStatus::Ok);
  EXPECT_EQ(exact.text.size(), full);

  for (std::size_t cap : {full - 1, full / 2, std::size_t{3}, std::size_t{0}}) {
    const Rendered r = Render(d, cap);
    EXPECT_EQ(r.status, ConvertStatus::TooLarge) << cap;
    EXPECT_LE(r.text.size(), cap);
  }
}

// The cap that conversions run with: 256 MiB exactly, not a byte more. 4096
// elements of 65536 bytes each fill it; one byte more in the last one fails.
TEST(Render, DefaultCapIsExactly256MiB) {
  constexpr std::uint64_t kCap = std::uint64_t{256} << 20;
  constexpr std::size_t kText = 65536 - std::size("<Element id=\"\"/>\r\n") + 1;
  for (const std::size_t extra : {0, 1}) {
    DuibBuilder d;
    const auto full = d.String(std::u16string(kText, u'a'));
    const auto longer = d.String(std::u16string(kText + extra, u'b'));
    for (int i = 0; i < 4095; ++i) d.Empty(b::Element, {{b::id, full}});
    d.Empty(b::Element, {{b::id, longer}});
    test::StringSink sink(false);
    EXPECT_EQ(Stream(d, sink), extra == 0 ? ConvertStatus::Ok : ConvertStatus::TooLarge) << extra;
    if (extra == 0) {
      EXPECT_EQ(sink.size, kCap);
    } else {
      EXPECT_LE(sink.size, kCap);
    }
  }
}

// Rendering bytes streams them out: many writes, none larger than a chunk, and
// few enough that each but the last carries at least half of one.
void ExpectStreamed(const DuibBuilder& d, std::uint64_t size) {
  test::StringSink sink(false);
  EXPECT_EQ(Stream(d, sink), ConvertStatus::Ok);
  EXPECT_EQ(sink.size, size);
  EXPECT_GT(sink.writes, 8);
  EXPECT_LE(sink.largestWrite, std::size_t{1} << 20);
  EXPECT_LE(sink.writes, size / (std::size_t{1} << 16) + 1);
}

constexpr std::uint64_t kEmptyElementBytes = std::size("<Element id=\"\"/>\r\n") - 1;

// Half the elements deeper than the indentation's one-move limit, so both ways of
// indenting stream.
TEST(Render, LargeOutputStreamsInBoundedChunks) {
  constexpr std::uint64_t kDepth = kPadding + 6;
  DuibBuilder d;
  const auto v = d.String(std::u16string(100, u'v'));
  std::uint64_t size = 0;
  for (std::uint64_t level = 0; level < kDepth; ++level) {
    d.Open(b::duixml);
    if (level == 1) {
      for (int i = 0; i < 20000; ++i) d.Empty(b::Element, {{b::id, v}});
      size += 20000 * (level + 1 + kEmptyElementBytes + 100);
    }
    size += 2 * level + std::size("<duixml>\r\n</duixml>\r\n") - 1;
  }
  for (int i = 0; i < 20000; ++i) d.Empty(b::Element, {{b::id, v}});
  size += 20000 * (kDepth + kEmptyElementBytes + 100);
  for (std::uint64_t level = 0; level < kDepth; ++level) d.Close(b::duixml);
  ExpectStreamed(d, size);
}

// Strings longer than the writer's chunk, also those past the pool budget, which
// are encoded anew into one scratch buffer on each use, arrive whole and in order.
TEST(Render, StringsLongerThanAChunkRenderExactly) {
  constexpr std::uint32_t kLength = 300000;
  std::u16string text(kLength, u'a');
  for (std::uint32_t i = 0; i < kLength; ++i) text[i] = static_cast<char16_t>(u'a' + i % 26);
  DuibBuilder d;
  d.AddRawString(text);
  const std::uint32_t first = 8 + 4 * 3;  // string 0 follows the offset table
  d.AddStringOffset(first + 2);           // strings 1 and 2 start one and two units in
  d.AddStringOffset(first + 4);
  std::string expected;
  for (const std::uint16_t id : std::array<std::uint16_t, 5>{0, 1, 2, 1, 2}) {
    d.Empty(b::Element, {{b::id, id}});
    expected += "<Element id=\"" + std::string(text.begin() + id, text.end()) + "\"/>\r\n";
  }
  const Rendered r = Render(d);
  EXPECT_EQ(r.status, ConvertStatus::Ok);
  EXPECT_SAME_BYTES(r.text, expected);
}

TEST(Render, MillionReferencesToALongStringHitTheRealCap) {
  DuibBuilder d;
  const auto big = d.String(std::u16string(4096, u'x'));
  constexpr std::uint32_t kElements = 20000;
  d.Open(b::duixml);
  for (std::uint32_t i = 0; i < kElements; ++i) {
    d.Empty(b::Element, std::vector<test::Attribute>(50, {b::id, big}));
  }
  d.Close(b::duixml);
  // 20000 * 50 * 4096 bytes is far past the cap; the blob is under 5 MiB.
  test::StringSink sink(false);
  EXPECT_EQ(Stream(d, sink), ConvertStatus::TooLarge);
  EXPECT_LE(sink.size, kMaxOutputBytes);
}

TEST(Render, DeepNestingIsBoundedByTheCap) {
  DuibBuilder d;
  for (int i = 0; i < 200000; ++i) d.Open(b::Element);
  // Indentation alone would need 200000^2 / 2 bytes.
  EXPECT_EQ(Render(d, std::uint64_t{64} << 20).status, ConvertStatus::TooLarge);
}

// Many table entries pointing into one long string encode to far more bytes than
// the blob holds; the converter must still render each of them exactly.
TEST(Render, OverlappingStringsRenderExactlyPastThePoolBudget) {
  constexpr std::uint32_t kLength = 2000;
  constexpr std::uint32_t kEntries = 300;
  DuibBuilder d;
  d.AddRawString(std::u16string(kLength, u'x'));
  const std::uint32_t first = 8 + 4 * kEntries;  // string 0 follows the offset table
  for (std::uint32_t i = 1; i < kEntries; ++i) d.AddStringOffset(first + 2 * (i * 5));
  std::string expected;
  for (std::uint16_t pass = 0; pass < 2; ++pass) {
    for (std::uint16_t i = 0; i < kEntries; ++i) {
      d.Empty(b::Element, {{b::id, i}});
      expected += "<Element id=\"" + std::string(kLength - i * 5, 'x') + "\"/>\r\n";
    }
  }
  const Rendered r = Render(d);
  EXPECT_EQ(r.status, ConvertStatus::Ok);
  EXPECT_SAME_BYTES(r.text, expected);
}

// Many IDs share starts with a few hundred strings, and the first use of a start
// comes through an alias as often as through its own entry: every ID renders the
// text at its start, however the index of starts grew meanwhile.
TEST(Render, IdsSharingAStartRenderTheirOwnText) {
  constexpr std::uint32_t kStrings = 700;
  constexpr std::uint32_t kAliases = 1300;
  constexpr std::uint32_t kEntries = kStrings + kAliases;
  DuibBuilder d;
  std::vector<std::string> texts;
  for (std::uint32_t i = 0; i < kStrings; ++i) {
    texts.emplace_back("s");
    texts.back() += std::to_string(1000 + i);  // five characters each
    d.AddRawString(std::u16string(texts.back().begin(), texts.back().end()));
  }
  const std::uint32_t first = 8 + 4 * kEntries;  // the strings follow the offset table
  std::vector<std::string> expectedOf(texts);
  for (std::uint32_t m = 0; m < kAliases; ++m) {
    const std::uint32_t target = m * 13 % kStrings;
    d.AddStringOffset(first + target * 2 * 6);
    expectedOf.push_back(texts[target]);
  }
  std::string expected;
  for (std::uint32_t k = 0; k < kEntries; ++k) {
    const auto id = static_cast<std::uint16_t>(kEntries - 1 - k * 7 % kEntries);
    d.Empty(b::Element, {{b::id, id}});
    expected.append("<Element id=\"").append(expectedOf[id]).append("\"/>\r\n");
  }
  const Rendered r = Render(d);
  EXPECT_EQ(r.status, ConvertStatus::Ok);
  EXPECT_SAME_BYTES(r.text, expected);
}

std::atomic<bool> gCounting{false};
std::atomic<std::size_t> gAllocated{0};

// The bytes allocated while one conversion of `d` runs (the output buffer
// included).
std::size_t AllocatedToConvert(const DuibBuilder& d) {
  const std::vector<std::uint8_t> bytes = d.Build();
  test::StringSink sink(false);
  CDuibConvert converter(test::ShowUnits);
  gAllocated = 0;
  gCounting = true;
  const ConvertStatus status =
      converter.Convert(bytes.data(), static_cast<std::uint32_t>(bytes.size()), sink).status;
  gCounting = false;
  EXPECT_EQ(status, ConvertStatus::Ok);
  return gAllocated;
}

// The converter's memory grows with the strings that the items use, not with the
// count that the string table claims: a table of 32768 entries of which one is
// used costs about what a table of one entry costs, and each string used costs
// a bounded number of bytes beside its text (growth by doubling included).
TEST(Render, MemoryFollowsTheStringsUsedNotTheTableSize) {
  const auto oneUsed = [](std::uint32_t entries) {
    DuibBuilder d;
    d.AddRawString(u"used");
    for (std::uint32_t i = 1; i < entries; ++i) d.AddRawString(u"never");
    d.Empty(b::Element, {{b::id, 0}});
    return AllocatedToConvert(d);
  };
  const std::size_t small = oneUsed(1);
  EXPECT_LT(oneUsed(32768), small + 4096);

  const auto manyUsed = [](std::uint32_t used) {
    DuibBuilder d;
    for (std::uint32_t i = 0; i < 32768; ++i) {
      d.AddRawString(std::u16string(1 + i % 3, static_cast<char16_t>(u'a' + i % 26)));
    }
    for (std::uint32_t i = 0; i < used; ++i) {
      d.Empty(b::Element, {{b::id, static_cast<std::uint16_t>(i)}});
    }
    return AllocatedToConvert(d);
  };
  const std::size_t hundred = manyUsed(100);
  EXPECT_LT(manyUsed(10000) - hundred, std::size_t{9900} * 128);
}

}  // namespace
}  // namespace tamro

// Counts what the conversions above allocate.
void tamro::test::BeforeAllocation(std::size_t size) {
  if (tamro::gCounting) tamro::gAllocated += size;
}
