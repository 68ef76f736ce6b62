// Collects the many short pieces of the rendering in a fixed buffer and hands it
// to the sink whenever it is full: memory stays the same whatever the output's
// size. Counts every byte against the cap; past it, nothing more is taken.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "engine/output_sink.h"

namespace tamro {

class OutputWriter {
 public:
  OutputWriter(OutputSink& sink, std::uint64_t cap)
      : sink_(sink), cap_(cap), buffer_(new char[kChunk]) {}

  bool overflowed() const { return overflow_; }

  void Append(std::string_view piece) {
    if (!Count(piece.size())) return;
    if (kChunk - used_ < piece.size()) return AppendLong(piece);
    // Most pieces are a few bytes: copy those in place, the rest in bulk.
    char* at = buffer_.get() + used_;
    if (piece.size() <= kShortPiece) {
      for (std::size_t i = 0; i < piece.size(); ++i) at[i] = piece[i];
    } else {
      std::memcpy(at, piece.data(), piece.size());
    }
    used_ += piece.size();
  }

  void AppendRepeated(std::size_t n, char c) {
    if (!Count(n)) return;
    while (n > 0) {
      if (used_ == kChunk) Flush();
      const std::size_t step = n < kChunk - used_ ? n : kChunk - used_;
      std::memset(buffer_.get() + used_, c, step);
      used_ += step;
      n -= step;
    }
  }

  // Hands what the buffer holds to the sink.
  void Flush() {
    if (used_ > 0) sink_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 17;
  static constexpr std::size_t kShortPiece = 16;

  // Whether `n` more bytes stay within the cap; marks the overflow when not.
  bool Count(std::uint64_t n) {
    if (overflow_ || n > cap_ - total_) {
      overflow_ = true;
      return false;
    }
    total_ += n;
    return true;
  }

  void AppendLong(std::string_view piece) {
    Flush();
    if (piece.size() >= kChunk) return sink_.Write(piece);
    std::memcpy(buffer_.get(), piece.data(), piece.size());
    used_ = piece.size();
  }

  OutputSink& sink_;
  std::uint64_t cap_;
  std::uint64_t total_ = 0;
  bool overflow_ = false;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

}  // namespace tamro
