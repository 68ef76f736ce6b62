// Text that stays readable for kPadding bytes from its start, whatever its own
// length, so that the output writer copies a short piece with one fixed-size move
// instead of a copy whose length the compiler cannot know (about a third of the
// rendering's time). Only the two kinds of storage below hand out such pieces, so
// no other text can be taken for padded: a new source of text is copied the plain
// way until it is stored in one of them.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tamro {

inline constexpr std::size_t kPadding = 32;

// What an empty piece points at: kPadding readable bytes like any other.
inline constexpr char kNoText[kPadding] = {};

class PaddedPiece {
 public:
  constexpr PaddedPiece() = default;
  constexpr const char* data() const { return data_; }
  constexpr std::size_t size() const { return size_; }
  constexpr bool empty() const { return size_ == 0; }
  constexpr std::string_view view() const { return std::string_view(data_, size_); }

 private:
  template <std::size_t N>
  friend class PaddedArray;
  friend class PaddedBuffer;
  constexpr PaddedPiece(const char* data, std::size_t size) : data_(data), size_(size) {}

  const char* data_ = kNoText;
  std::size_t size_ = 0;
};

// Constant text of N characters with the spare bytes behind it, built at compile time.
template <std::size_t N>
class PaddedArray {
 public:
  std::array<char, N + kPadding> chars{};

  // The characters [at, at + length) of the first N; a piece past them is empty.
  constexpr PaddedPiece Piece(std::size_t at, std::size_t length) const {
    if (at > N || length > N - at) return PaddedPiece();
    return PaddedPiece(chars.data() + at, length);
  }
};

// A growing store of bytes that keeps kPadding spare bytes behind what it holds.
class PaddedBuffer {
 public:
  std::size_t size() const { return used_; }

  // Appends what `fill` appends to the string it is handed; returns where the new
  // bytes start.
  template <class Fill>
  std::size_t Append(Fill&& fill) {
    bytes_.resize(used_);
    const std::size_t at = used_;
    fill(bytes_);
    used_ = bytes_.size();
    bytes_.resize(used_ + kPadding);
    return at;
  }

  // Forgets every byte from `size` on.
  void Truncate(std::size_t size) {
    if (size >= used_) return;
    used_ = size;
    bytes_.resize(used_ + kPadding);
  }

  // The bytes [at, at + length) of those held; a piece past them is empty.
  PaddedPiece Piece(std::size_t at, std::size_t length) const {
    if (at > used_ || length > used_ - at) return PaddedPiece();
    return PaddedPiece(bytes_.data() + at, length);
  }

 private:
  std::string bytes_ = std::string(kPadding, '\0');
  std::size_t used_ = 0;
};

}  // namespace tamro
