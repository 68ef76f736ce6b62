// Builds the rendered text in the caller's wide string through a cursor, so that
// the many short pieces of a line are copied in place rather than through a
// library call each. The string grows in large steps, never past the cap; Finish
// cuts it to what was written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace tamro {

class TextWriter {
 public:
  TextWriter(std::wstring& text, std::size_t cap) : text_(text), cap_(cap) { text_.clear(); }

  bool overflowed() const { return overflow_; }

  // Room for `n` more characters, or null (and overflowed() from then on) when
  // they would pass the cap. Throws std::bad_alloc when memory runs out.
  wchar_t* Claim(std::size_t n) {
    if (text_.size() - length_ < n && !Grow(n)) return nullptr;
    wchar_t* at = text_.data() + length_;
    length_ += n;
    return at;
  }

  // Gives back the last `n` claimed characters.
  void Unclaim(std::size_t n) { length_ -= n; }

  void Append(std::wstring_view piece) {
    wchar_t* at = Claim(piece.size());
    if (at == nullptr) return;
    // Most pieces are a few characters: copy those in place, the rest in bulk.
    if (piece.size() <= kShortPiece) {
      for (std::size_t i = 0; i < piece.size(); ++i) at[i] = piece[i];
    } else {
      std::char_traits<wchar_t>::copy(at, piece.data(), piece.size());
    }
  }

  void AppendRepeated(std::size_t n, wchar_t c) {
    if (wchar_t* at = Claim(n)) std::fill_n(at, n, c);
  }

  // Removes the trailing run of white space.
  void TrimRight() {
    while (length_ > 0 && IsWhiteSpace(text_[length_ - 1])) --length_;
  }

  void Finish() { text_.resize(length_); }

  // Drops the text and its memory.
  void Abandon() {
    std::wstring().swap(text_);
    length_ = 0;
  }

 private:
  static constexpr std::size_t kShortPiece = 8;
  static constexpr std::size_t kStep = std::size_t{1} << 18;

  static bool IsWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
  }

  bool Grow(std::size_t n) {
    if (overflow_ || n > cap_ - length_) {
      overflow_ = true;
      return false;
    }
    // Growing fills the new characters, so within the capacity the string already
    // has it grows in steps just large enough to keep the fill rare; past it, it
    // doubles.
    const std::size_t step = text_.size() < text_.capacity() ? kStep : text_.size();
    const std::size_t wanted = std::max(length_ + n, text_.size() + std::max(step, kStep));
    text_.resize(std::min(cap_, wanted));
    return true;
  }

  std::wstring& text_;
  std::size_t cap_;
  std::size_t length_ = 0;
  bool overflow_ = false;
};

}  // namespace tamro
