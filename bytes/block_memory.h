// Where a block of bytes that grows at its end gets its memory. The C heap serves
// everywhere; the platform may serve blocks whose pages cost less to touch for
// the first time (platform/block_memory.h). Each block names the memory that
// gave it, which alone grows and releases it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace tamro {

class BlockMemory;

struct Block {
  std::uint8_t* data = nullptr;
  std::size_t capacity = 0;
  const BlockMemory* owner = nullptr;  // null with no data
};

class BlockMemory {
 public:
  // A block of at least `capacity` bytes that begins with the first `used` bytes
  // of `block` (which may have no data), and takes its place. A block without
  // data when there is no memory for it; `block` then stays as it was.
  virtual Block Grow(const Block& block, std::size_t used, std::size_t capacity) const = 0;
  virtual void Release(const Block& block) const = 0;

 protected:
  ~BlockMemory() = default;
};

// The C heap: realloc, which moves a large block by remapping its pages.
class HeapBlockMemory final : public BlockMemory {
 public:
  Block Grow(const Block& block, std::size_t, std::size_t capacity) const override {
    void* grown = std::realloc(block.data, capacity);
    if (grown == nullptr) return {};
    return {static_cast<std::uint8_t*>(grown), capacity, this};
  }
  void Release(const Block& block) const override { std::free(block.data); }
};

inline const BlockMemory& HeapMemory() {
  static const HeapBlockMemory heap;
  return heap;
}

}  // namespace tamro
