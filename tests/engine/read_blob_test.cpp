// The reading phase: which status each faulty blob gets, and that nothing is read
// past the blob.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bytes/byte_view.h"
#include "duib/layout.h"
#include "engine/duib_convert.h"
#include "tests/builders/duib_builder.h"
#include "tests/builders/little_endian.h"
#include "tests/engine/engine_support.h"
#include "tests/support/case_name.h"

namespace tamro {
namespace {

using test::DuibBuilder;
using test::Put32;
namespace b = test::builtin;

using Bytes = std::vector<std::uint8_t>;

// <duixml> with one Element child carrying a string value: a small valid blob.
DuibBuilder SmallBlob() {
  DuibBuilder builder;
  const std::uint16_t main = builder.String(u"main");
  builder.Open(b::duixml).Empty(b::Element, {{b::resid, main}}).Close(b::duixml);
  builder.Resid(main, 1);
  return builder;
}

Bytes SmallBytes() {
  return SmallBlob().Build();
}

Bytes Build(const std::function<void(DuibBuilder&)>& tweak) {
  DuibBuilder builder = SmallBlob();
  tweak(builder);
  return builder.Build();
}

// A row's blob: the small blob with `tweak` applied to its builder.
std::function<Bytes()> Tweaked(std::function<void(DuibBuilder&)> tweak) {
  return [tweak] { return Build(tweak); };
}

// Runs Convert on an exact-size heap copy, so that ASan sees any read past the end
// (that check needs the asan preset). Without ASan, a second run on the bytes
// followed by zeros must agree: a read past the end that takes them for a zero
// unit or a field changes the status.
ConvertStatus ConvertExact(const Bytes& bytes, test::StringSink& sink) {
  const auto size = static_cast<std::uint32_t>(bytes.size());
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  CDuibConvert converter(test::ShowUnits);
  const ConvertStatus status = converter.Convert(exact.get(), size, sink).status;
  Bytes padded = bytes;
  padded.resize(bytes.size() + 8, 0);
  test::StringSink discard(false);
  CDuibConvert again(test::ShowUnits);
  EXPECT_EQ(again.Convert(padded.data(), size, discard).status, status)
      << "read past the blob's end";
  return status;
}

struct ReadCase {
  const char* what;
  std::function<Bytes()> make;
  ConvertStatus expected;
};

const ReadCase kReadCases[] = {
    {"valid blob", SmallBytes, ConvertStatus::Ok},
    {"19 bytes", [] { return Bytes(19, 0); }, ConvertStatus::SizeCheck},
    {"header only, 20 bytes of zeros", [] { return Bytes(20, 0); }, ConvertStatus::BadSignature},
    {"magic in capitals", Tweaked([](DuibBuilder& d) { d.magic = 0x42495544; }),
     ConvertStatus::BadSignature},
    {"version 4", Tweaked([](DuibBuilder& d) { d.version = 4; }), ConvertStatus::BadSignature},
    {"version 0x105", Tweaked([](DuibBuilder& d) { d.version = 0x105; }),
     ConvertStatus::BadSignature},
    {"resid flag set, 27 bytes",
     [] {
       Bytes bytes = SmallBytes();
       bytes.resize(27);
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"28 bytes: every section is the resid head",
     [] {
       // Resid, element and string section all start at 20: size 8, count 0.
       Bytes bytes(28, 0);
       Put32(bytes, 0, duib::kMagic);
       Put32(bytes, 4, duib::kVersion);
       Put32(bytes, 8, 20);   // element section
       Put32(bytes, 12, 20);  // string section
       Put32(bytes, 16, 1);   // resid flag
       Put32(bytes, 20, 8);   // section size; count 0
       return bytes;
     },
     ConvertStatus::Ok},
    {"resid flag 0 leaves a resid-like head at offset 20 unread",
     [] {
       DuibBuilder d;
       d.Empty(b::Element);
       d.residFlag = 0;
       d.gapBeforeElements = 8;
       Bytes bytes = d.Build();
       Put32(bytes, 20, 0xFFFFFFF0);  // would fail as a resid section size
       Put32(bytes, 24, 0xFFFFFFF0);
       return bytes;
     },
     ConvertStatus::Ok},
    {"resid section ends one byte past the blob",
     [] {
       Bytes bytes = SmallBytes();
       Put32(bytes, 20, static_cast<std::uint32_t>(bytes.size() - 20 + 1));
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"resid section ends exactly at the blob's end",
     [] {
       Bytes bytes = SmallBytes();
       Put32(bytes, 20, static_cast<std::uint32_t>(bytes.size() - 20));
       return bytes;
     },
     ConvertStatus::Ok},
    {"resid entries run past the blob", Tweaked([](DuibBuilder& d) { d.residCount = 0x10000000; }),
     ConvertStatus::SizeCheck},
    {"resid count one past the blob's room for 8-byte entries",
     [] {
       Bytes bytes = SmallBytes();
       Put32(bytes, 24, static_cast<std::uint32_t>((bytes.size() - 28) / 8 + 1));
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"resid count filling the blob's room for 8-byte entries reads",
     [] {
       // The entries then overlap the later sections and stay unmatched.
       Bytes bytes = SmallBytes();
       Put32(bytes, 24, static_cast<std::uint32_t>((bytes.size() - 28) / 8));
       return bytes;
     },
     ConvertStatus::Warnings},
    {"resid count filling a larger blob's room for 8-byte entries reads",
     [] {
       // Over 7 entries: no room that a ninth byte per entry would still fit.
       Bytes bytes = Build([](DuibBuilder& d) {
         d.Empty(b::Element, {{b::id, d.String(u"room")}});
       });
       Put32(bytes, 24, static_cast<std::uint32_t>((bytes.size() - 28) / 8));
       return bytes;
     },
     ConvertStatus::Warnings},
    {"resid count with 2^32 - 1 entries",
     Tweaked([](DuibBuilder& d) { d.residCount = 0xFFFFFFFF; }), ConvertStatus::SizeCheck},
    {"element section ends one byte past the blob",
     [] {
       Bytes bytes = SmallBytes();
       const std::uint32_t at = test::Get32(bytes, 8);
       Put32(bytes, at, static_cast<std::uint32_t>(bytes.size() - at + 1));
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"element section head past the blob",
     Tweaked([](DuibBuilder& d) { d.elementOffset = 0xFFFFFFFC; }), ConvertStatus::SizeCheck},
    {"element section size past the blob",
     Tweaked([](DuibBuilder& d) { d.elementSectionSize = 0x7FFFFFFF; }), ConvertStatus::SizeCheck},
    {"element section size wraps 32 bits",
     Tweaked([](DuibBuilder& d) { d.elementSectionSize = 0xFFFFFFF0; }), ConvertStatus::SizeCheck},
    {"string section one byte short of the blob's end",
     [] {
       Bytes bytes = SmallBytes();
       bytes.push_back(0);
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"string section head past the blob",
     Tweaked([](DuibBuilder& d) { d.stringOffset = 0xFFFFFFFF; }), ConvertStatus::SizeCheck},
    {"string section size past the blob",
     Tweaked([](DuibBuilder& d) { d.stringSectionSize = 0x1000; }), ConvertStatus::SizeCheck},
    {"string offset table runs past the blob",
     Tweaked([](DuibBuilder& d) { d.stringCount = 0x40000000; }), ConvertStatus::SizeCheck},
    {"string offset table runs past the blob after valid entries",
     [] {
       // Two entries of 8, each the one-unit string 0008 at the first entry, then
       // a third entry behind the blob's end.
       Bytes bytes = SmallBytes();
       const std::uint32_t at = test::Get32(bytes, 12);
       bytes.resize(at + 16);
       Put32(bytes, at, 16);
       Put32(bytes, at + 4, 3);
       Put32(bytes, at + 8, 8);
       Put32(bytes, at + 12, 8);
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"string offset points past the blob",
     Tweaked([](DuibBuilder& d) { d.AddStringOffset(0x7FFFFFFF); }), ConvertStatus::SizeCheck},
    {"string offset wraps 32 bits from the section start",
     Tweaked([](DuibBuilder& d) { d.AddStringOffset(0xFFFFFFFF); }), ConvertStatus::SizeCheck},
    {"string runs to the blob's end without a zero unit",
     [] {
       Bytes bytes = SmallBytes();
       bytes.back() = 'x';  // the last string's terminator
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"string ends in an odd byte",
     [] {
       Bytes bytes = SmallBytes();
       bytes.back() = 'x';
       bytes.push_back(0);  // zero byte, but not a whole unit on the string's grid
       const std::uint32_t s = test::Get32(bytes, 12);
       Put32(bytes, s, static_cast<std::uint32_t>(bytes.size() - s));
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"zero units on the other byte grid do not end a string",
     [] {
       // Bytes 00 61 61 00 00 at an odd offset: the last two form a zero unit on
       // the other grid only.
       DuibBuilder d;
       d.Empty(b::Element);
       d.oddStringAlignment = true;
       d.AddRawString(u"\u6100\u0061");
       Bytes bytes = d.Build();
       bytes.resize(bytes.size() - 1);  // the terminator loses its last byte
       const std::uint32_t s = test::Get32(bytes, 12);
       Put32(bytes, s, static_cast<std::uint32_t>(bytes.size() - s));
       return bytes;
     },
     ConvertStatus::SizeCheck},
    {"string whose terminator fills the last two bytes", SmallBytes, ConvertStatus::Ok},
    {"string count 0",
     [] {
       DuibBuilder d;
       d.Empty(b::Element);
       return d.Build();
     },
     ConvertStatus::Ok},
};

void PrintTo(const ReadCase& row, std::ostream* os) {
  *os << row.what;
}

class ReadBlobTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadBlobTest, GivesTheExpectedStatus) {
  const Bytes bytes = GetParam().make();
  test::StringSink sink;
  const ConvertStatus status = ConvertExact(bytes, sink);
  EXPECT_EQ(status, GetParam().expected) << std::hex << status;
  if (GetParam().expected != ConvertStatus::Ok && GetParam().expected != ConvertStatus::Warnings) {
    EXPECT_EQ(sink.writes, 0) << "a failed read must write nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadBlobTest, ::testing::ValuesIn(kReadCases), test::CaseNamer());

TEST(ReadBlob, NullBytesFailTheHeaderRead) {
  CDuibConvert converter(test::ShowUnits);
  test::StringSink sink;
  EXPECT_EQ(converter.Convert(nullptr, 20, sink).status, ConvertStatus::HeaderRead);
  CDuibConvert other(test::ShowUnits);
  EXPECT_EQ(other.Convert(nullptr, 19, sink).status, ConvertStatus::SizeCheck);
}

TEST(ReadBlob, ElementSectionSizesLeaveStrayBytesUnread) {
  for (std::uint32_t tail = 0; tail < 4; ++tail) {
    DuibBuilder d;
    d.Empty(b::Element);
    d.elementTailBytes = tail;
    test::StringSink sink;
    EXPECT_EQ(ConvertExact(d.Build(), sink), ConvertStatus::Ok) << tail;
    EXPECT_EQ(sink.text, "<Element/>\r\n") << tail;
  }
}

TEST(ReadBlob, SectionsMayComeInAnyOrderAndWithGaps) {
  DuibBuilder d;
  const std::uint16_t v = d.String(u"value");
  d.Empty(b::Element, {{b::id, v}});
  d.order = test::SectionOrder::ResidStringElement;
  d.gapBeforeStrings = 5;
  d.oddStringAlignment = true;
  test::StringSink sink;
  EXPECT_EQ(ConvertExact(d.Build(), sink), ConvertStatus::Ok);
  EXPECT_EQ(sink.text, "<Element id=\"value\"/>\r\n");
}

// Every read of the bytes, at the edges of a window of six: one byte further
// and it is refused.
TEST(ByteViewReads, OnlyWhatLiesInside) {
  const std::uint8_t bytes[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  const ByteView view(bytes, 6);
  EXPECT_EQ(view.U16(4), 0x6655u);
  EXPECT_EQ(view.U16(5), std::nullopt);
  EXPECT_EQ(view.U32(2), 0x66554433u);
  EXPECT_EQ(view.U32(3), std::nullopt);
  EXPECT_EQ(view.U32(~std::uint64_t{0} - 1), std::nullopt);  // the sum wraps
  EXPECT_TRUE(view.Contains(6, 0));
  EXPECT_FALSE(view.Contains(7, 0));
  ASSERT_TRUE(view.Sub(1, 5));
  EXPECT_EQ(view.Sub(1, 5)->U16(3), 0x6655u);
  EXPECT_EQ(view.Sub(1, 6), std::nullopt);
  EXPECT_TRUE(ByteView(nullptr, 6).empty());
  EXPECT_FALSE(ByteView(nullptr, 6).Contains(0, 1));
}

}  // namespace
}  // namespace tamro
