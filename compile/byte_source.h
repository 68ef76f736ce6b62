// The reader's input, piece by piece: the caller streams a file through a bounded
// buffer or hands over a mapping, so nothing here needs the whole input at once.
#pragma once

#include <cstdint>
#include <span>

namespace tamro::compile {

class ByteSource {
 public:
  // The next piece; empty at the end. Valid until the next call.
  virtual std::span<const std::uint8_t> Next() = 0;
  // Starts again from the first byte.
  virtual void Rewind() = 0;

 protected:
  ~ByteSource() = default;
};

}  // namespace tamro::compile
