// Collects the many short pieces of the rendering in a fixed buffer and hands it
// to the sink whenever it is full: memory stays the same whatever the output's
// size. What is handed on is counted against the cap.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "engine/output_sink.h"
#include "engine/padded_text.h"

namespace tamro {

class OutputWriter {
 public:
  OutputWriter(OutputSink& sink, std::uint64_t cap)
      : sink_(sink), cap_(cap), buffer_(new char[kChunk + kPadding]) {}

  // True once the output passed the cap. Noticed when the buffer is handed on,
  // so at most one buffer's worth of work later; no byte past the cap is ever
  // handed to the sink.
  bool overflowed() const { return overflow_; }

  [[gnu::always_inline]] void Append(std::string_view piece) {
    if (kChunk - used_ < piece.size()) return AppendLong(piece);
    std::memcpy(buffer_.get() + used_, piece.data(), piece.size());
    used_ += piece.size();
  }

  // A short padded piece is one fixed-size move into the buffer's spare room
  // behind the chunk, with no branching on its length.
  [[gnu::always_inline]] void Append(PaddedPiece piece) {
    if (piece.size() > kPadding || kChunk - used_ < piece.size()) return Append(piece.view());
    std::memcpy(buffer_.get() + used_, piece.data(), kPadding);
    used_ += piece.size();
  }

  void AppendRepeated(std::size_t n, char c) {
    while (n > 0 && !overflow_) {
      if (used_ == kChunk) Flush();
      const std::size_t step = n < kChunk - used_ ? n : kChunk - used_;
      std::memset(buffer_.get() + used_, c, step);
      used_ += step;
      n -= step;
    }
  }

  // Hands what the buffer holds to the sink, unless that passes the cap.
  void Flush() { Hand(std::string_view(buffer_.get(), used_)); }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 17;

  void Hand(std::string_view bytes) {
    used_ = 0;
    if (overflow_ || bytes.size() > cap_ - handed_) {
      overflow_ = true;
      return;
    }
    handed_ += bytes.size();
    if (!bytes.empty()) sink_.Write(bytes);
  }

  [[gnu::noinline]] void AppendLong(std::string_view piece) {
    Flush();
    if (piece.size() >= kChunk) return Hand(piece);
    std::memcpy(buffer_.get(), piece.data(), piece.size());
    used_ = piece.size();
  }

  OutputSink& sink_;
  std::uint64_t cap_;
  std::uint64_t handed_ = 0;
  bool overflow_ = false;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

}  // namespace tamro
