// The padded stores: every piece they hand out keeps kPadding readable bytes, which
// the writer's fixed-size move reads (the asan build sees a piece that does not),
// and a piece asked for past what they hold is empty.
#include "engine/padded_text.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "engine/builtin_names.h"

namespace tamro {
namespace {

// Reads all kPadding bytes from the piece's start, as the writer does.
unsigned ReadPadded(PaddedPiece piece) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < kPadding; ++i) sum += static_cast<unsigned char>(piece.data()[i]);
  return sum;
}

TEST(PaddedText, BufferPiecesStayReadableAfterEveryAppendAndTruncate) {
  PaddedBuffer buffer;
  std::vector<std::pair<std::size_t, std::size_t>> pieces;
  for (std::size_t length : {0u, 1u, 31u, 32u, 33u, 200u}) {
    const std::size_t at = buffer.Append([&](std::string& bytes) { bytes.append(length, 'x'); });
    EXPECT_EQ(at + length, buffer.size());
    pieces.emplace_back(at, length);
    for (const auto& [start, size] : pieces) {
      const PaddedPiece piece = buffer.Piece(start, size);
      EXPECT_EQ(piece.view(), std::string(size, 'x'));
      ReadPadded(piece);
    }
  }
  const std::size_t kept = buffer.size();
  buffer.Append([](std::string& bytes) { bytes.append(1000, 'y'); });
  buffer.Truncate(kept);
  EXPECT_EQ(buffer.size(), kept);
  ReadPadded(buffer.Piece(kept, 0));
  EXPECT_TRUE(buffer.Piece(kept, 1).empty()) << "past what the buffer holds";
  EXPECT_TRUE(buffer.Piece(kept + 1, 0).empty());
}

TEST(PaddedText, ArrayAndDictionaryPiecesStayReadable) {
  constexpr PaddedArray<3> abc = [] {
    PaddedArray<3> text;
    text.chars[0] = 'a', text.chars[1] = 'b', text.chars[2] = 'c';
    return text;
  }();
  EXPECT_EQ(abc.Piece(1, 2).view(), "bc");
  ReadPadded(abc.Piece(3, 0));
  EXPECT_TRUE(abc.Piece(2, 2).empty());
  EXPECT_TRUE(abc.Piece(4, 0).empty());
  ReadPadded(PaddedPiece());
  for (std::uint32_t id = 0x8000; id <= 0x8040; ++id) {
    ReadPadded(BuiltinName(static_cast<std::uint16_t>(id)));
  }
}

}  // namespace
}  // namespace tamro
