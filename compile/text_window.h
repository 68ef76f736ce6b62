// One contiguous view of the text ahead, over pieces that end anywhere. It is the
// current piece itself while the reading stays inside it; a construct that runs on
// into the next piece is copied into a carry buffer together with enough of what
// follows, and the view returns to the piece as soon as the carried bytes are read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "compile/text_pieces.h"

namespace tamro::compile {

class TextWindow {
 public:
  explicit TextWindow(TextPieces& pieces) : pieces_(pieces) {}

  // The text not yet consumed that is at hand.
  std::string_view View() const {
    return inCarry_ ? std::string_view(carry_).substr(carryAt_) : piece_.substr(pieceAt_);
  }

  // Drops the first `count` bytes of View().
  void Consume(std::size_t count);

  // Makes View() longer, keeping what it holds: at least twice as long unless the
  // text ends first, so a construct read again after each extension costs at most
  // a few times its length. False when there is nothing more (end or invalid bytes).
  bool Extend();

 private:
  // Takes the next piece; the carried bytes so far come before all of it.
  bool NextPiece();

  TextPieces& pieces_;
  std::string_view piece_;
  std::size_t pieceAt_ = 0;  // bytes of piece_ consumed or copied into the carry
  bool inCarry_ = false;
  std::string carry_;
  std::size_t carryAt_ = 0;  // bytes of carry_ consumed
  // carry_ from carryFromPiece_ on holds piece_ from pieceFrom_ up to pieceAt_.
  std::size_t carryFromPiece_ = 0;
  std::size_t pieceFrom_ = 0;
};

}  // namespace tamro::compile
