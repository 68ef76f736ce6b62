#include "compile/text_window.h"

#include <algorithm>

namespace tamro::compile {
namespace {

// The least an extension adds, so that short constructs cut by a piece's end
// take one extension.
constexpr std::size_t kLeastExtension = 1024;

}  // namespace

void TextWindow::Consume(std::size_t count) {
  if (!inCarry_) {
    pieceAt_ += count;
    return;
  }
  carryAt_ += count;
  // Once only bytes of the current piece are left in the carry, read on in the
  // piece itself.
  if (carryAt_ >= carryFromPiece_) {
    pieceAt_ = pieceFrom_ + (carryAt_ - carryFromPiece_);
    inCarry_ = false;
    carry_.clear();
    carryAt_ = 0;
  }
}

bool TextWindow::NextPiece() {
  piece_ = pieces_.Next();
  pieceAt_ = 0;
  pieceFrom_ = 0;
  carryFromPiece_ = carry_.size();
  return !piece_.empty();
}

bool TextWindow::Extend() {
  const std::size_t kept = View().size();
  if (kept == 0) {
    inCarry_ = false;
    carry_.clear();
    carryAt_ = 0;
    return pieceAt_ < piece_.size() || NextPiece();
  }
  if (!inCarry_) {
    carry_.assign(View());
    carryAt_ = 0;
    pieceAt_ = piece_.size();
    pieceFrom_ = pieceAt_;
    carryFromPiece_ = carry_.size();
    inCarry_ = true;
  } else {
    carry_.erase(0, carryAt_);
    carryFromPiece_ -= std::min(carryAt_, carryFromPiece_);
    carryAt_ = 0;
  }
  const std::size_t wanted = kept + std::max(kept, kLeastExtension);
  bool grew = false;
  while (carry_.size() < wanted) {
    if (pieceAt_ == piece_.size() && !NextPiece()) break;
    const std::size_t take = std::min(piece_.size() - pieceAt_, wanted - carry_.size());
    carry_.append(piece_.substr(pieceAt_, take));
    pieceAt_ += take;
    grew = true;
  }
  return grew;
}

}  // namespace tamro::compile
