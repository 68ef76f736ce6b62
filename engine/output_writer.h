// Collects the many short pieces of the rendering in a fixed buffer and hands it
// to the sink whenever it is full: memory stays the same whatever the output's
// size. What is handed on is counted against the cap. There are two such
// buffers, used in turn, so that the sink may still be writing one while the
// other fills; the sink is settled before the buffers go.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "engine/output_sink.h"
#include "engine/read_ahead.h"

namespace tamro {

class OutputWriter {
 public:
  OutputWriter(OutputSink& sink, std::uint64_t cap)
      : sink_(sink), cap_(cap), buffers_(new char[2 * kStride]), buffer_(buffers_.get()) {}
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;
  ~OutputWriter() { sink_.Settle(); }

  // True once the output passed the cap. Noticed when the buffer is handed on,
  // so at most one buffer's worth of work later; no byte past the cap is ever
  // handed to the sink.
  bool overflowed() const { return overflow_; }

  [[gnu::always_inline]] void Append(std::string_view piece) {
    if (kChunk - used_ < piece.size()) return AppendLong(piece);
    std::memcpy(buffer_ + used_, piece.data(), piece.size());
    used_ += piece.size();
  }

  // Append for a piece whose source stays readable for kReadAhead bytes from its
  // start: a short piece is then one fixed-size move into the buffer's spare room
  // behind the chunk, with no branching on its length.
  [[gnu::always_inline]] void AppendReadAhead(std::string_view piece) {
    if (piece.size() > kReadAhead || kChunk - used_ < piece.size()) return Append(piece);
    std::memcpy(buffer_ + used_, piece.data(), kReadAhead);
    used_ += piece.size();
  }

  void AppendRepeated(std::size_t n, char c) {
    Fill(n, [c](char* to, std::size_t, std::size_t step) { std::memset(to, c, step); });
  }

  // Hands what the buffer holds to the sink, unless that passes the cap, and goes
  // on in the other buffer.
  void Flush() {
    const std::string_view bytes(buffer_, used_);
    used_ = 0;
    buffer_ = buffer_ == buffers_.get() ? buffers_.get() + kStride : buffers_.get();
    if (overflow_ || bytes.size() > cap_ - handed_) {
      overflow_ = true;
      return;
    }
    handed_ += bytes.size();
    if (!bytes.empty()) sink_.Write(bytes);
  }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 17;
  static constexpr std::size_t kStride = kChunk + kReadAhead;

  // Copies `n` bytes in steps that fit the buffer; `copy(to, done, step)` writes
  // the bytes [done, done + step) at `to`. Long pieces, which only hostile blobs
  // make, are copied through the buffers too, so that the sink only ever holds
  // the writer's own memory.
  template <typename Copy>
  void Fill(std::size_t n, Copy copy) {
    for (std::size_t done = 0; done < n && !overflow_;) {
      if (used_ == kChunk) Flush();
      const std::size_t step = n - done < kChunk - used_ ? n - done : kChunk - used_;
      copy(buffer_ + used_, done, step);
      used_ += step;
      done += step;
    }
  }

  [[gnu::noinline]] void AppendLong(std::string_view piece) {
    Fill(piece.size(), [piece](char* to, std::size_t done, std::size_t step) {
      std::memcpy(to, piece.data() + done, step);
    });
  }

  OutputSink& sink_;
  std::uint64_t cap_;
  std::uint64_t handed_ = 0;
  bool overflow_ = false;
  std::unique_ptr<char[]> buffers_;  // two buffers of kStride bytes
  char* buffer_;                     // the one being filled
  std::size_t used_ = 0;
};

}  // namespace tamro
