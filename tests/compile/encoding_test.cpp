// The input side: telling text from binary data, and what the legacy decoder and
// the UTF-16 decoder are handed when pieces and chunks end anywhere.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "tests/compile/reader_support.h"
#include "tests/support/case_name.h"

namespace tamro::compile::test {
namespace {

using namespace std::string_literals;

struct LooksCase {
  const char* what;
  std::string bytes;
  bool text;
};

const LooksCase kLooks[] = {
    {"empty input", "", true},
    {"tamro's text", "<duixml>\r\n</duixml>\r\n", true},
    {"zero in the last byte looked at", std::string(7999, 'a') + '\0', false},
    {"zero just past the bytes looked at", std::string(8000, 'a') + '\0', true},
    {"DUIB blob", "duib\x05\0\0\0"s, false},
    {"UTF-16LE mark", Utf16Le(u"<a/>"), true},
    {"UTF-16BE mark", Utf16Be(u"<a/>"), true},
    {"UTF-8 mark does not excuse a zero", "\xEF\xBB\xBF<a>\0"s, false},
    {"half a UTF-16 mark", "\xFF\0"s, false},
};

class LooksLikeTextRow : public ::testing::TestWithParam<LooksCase> {};

TEST_P(LooksLikeTextRow, ReadsOnlyTheHeadAndRewinds) {
  const LooksCase& row = GetParam();
  for (const std::size_t pieceSize : {std::size_t{1}, std::size_t{7}, std::size_t{9000}}) {
    PieceSource source(row.bytes, pieceSize);
    EXPECT_EQ(LooksLikeText(source), row.text) << "pieces of " << pieceSize;
    EXPECT_EQ(source.at(), 0u);
    EXPECT_EQ(source.rewinds(), 1);
    EXPECT_LT(source.furthest(), 8000 + pieceSize);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, LooksLikeTextRow, ::testing::ValuesIn(kLooks),
                         ::tamro::test::CaseNamer{});

// What the legacy decoder was handed, piece by piece, while reading `bytes`.
std::vector<std::string> LegacyPiecesOf(const std::string& bytes, std::size_t pieceSize) {
  const Reading reading = ReadInPieces(bytes, pieceSize, kLatin1Policy);
  EXPECT_FALSE(reading.error) << reading.Summary();
  return legacyPieces;
}

// A byte below 0x40 is never inside a character of several bytes in any ANSI
// code page: every piece but the last ends just after one.
TEST(LegacyDecoder, IsHandedWholeCharactersWhereverPiecesEnd) {
  const std::string text = "<a b=\"\xE9\">\r\n\t<c/>\r\n\r\n</a>";
  for (std::size_t size = 1; size <= text.size(); ++size) {
    const std::vector<std::string> pieces = LegacyPiecesOf(text, size);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      joined += pieces[i];
      if (i + 1 < pieces.size()) {
        EXPECT_LT(static_cast<unsigned char>(pieces[i].back()), 0x40) << "pieces of " << size;
      }
    }
    EXPECT_EQ(joined, text) << "pieces of " << size;
  }
}

TEST(LegacyDecoder, IsHandedARunLongerThanAChunkInFull) {
  const std::string run(70000, '\xE9');
  const std::vector<std::string> pieces = LegacyPiecesOf("<a b=\"" + run + "\"/>\r\n<c/>", 4096);
  const auto holder = std::find_if(pieces.begin(), pieces.end(), [](const std::string& piece) {
    return piece.find('\xE9') != std::string::npos;
  });
  ASSERT_NE(holder, pieces.end());
  EXPECT_NE(holder->find(run), std::string::npos) << "the run was cut";
}

TEST(LegacyDecoder, ReadsPureAsciiButNeitherUtf8BeyondAsciiNorMarkedText) {
  EXPECT_FALSE(LegacyPiecesOf("<a b=\"c\"/>", 3).empty());
  EXPECT_TRUE(LegacyPiecesOf("<a b=\"\xC3\xA9\"/>", 3).empty());
  EXPECT_TRUE(LegacyPiecesOf("\xEF\xBB\xBF<a b=\"c\"/>", 3).empty());
}

// Long enough to be decoded in several chunks, with surrogate pairs and odd
// piece sizes putting units and pairs across every kind of boundary.
TEST(Utf16, LongTextReadsTheSameInOnePieceAndInPieces) {
  std::u16string units;
  while (units.size() < 70000) units += u"<a b=\"😀é\"/>\r\n";
  for (const auto& bytes : {Utf16Le(units), Utf16Be(units)}) {
    const Reading whole = ReadInPieces(bytes, bytes.size());
    EXPECT_FALSE(whole.error) << whole.Summary().substr(0, 200);
    for (const std::size_t size : {std::size_t{4099}, std::size_t{65537}}) {
      EXPECT_EQ(ReadInPieces(bytes, size).Summary(), whole.Summary()) << "pieces of " << size;
    }
  }
}

}  // namespace
}  // namespace tamro::compile::test
