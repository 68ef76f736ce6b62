// A blob's bytes in one block that grows at its end, from the block memory it is
// given: the C heap by default (realloc moves a large block by remapping its
// pages), or memory of the platform whose pages cost less to touch. A blob
// written item by item costs its pages once and no copy, where a vector's growth
// costs both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "bytes/block_memory.h"

namespace tamro::duib {

class BlobBytes {
 public:
  BlobBytes() : memory_(&HeapMemory()) {}
  explicit BlobBytes(const BlockMemory& memory) : memory_(&memory) {}
  BlobBytes(BlobBytes&& other) noexcept;
  BlobBytes& operator=(BlobBytes&& other) noexcept;
  BlobBytes(const BlobBytes&) = delete;
  BlobBytes& operator=(const BlobBytes&) = delete;
  ~BlobBytes() { clear(); }

  const std::uint8_t* data() const { return block_.data; }
  std::uint8_t* data() { return block_.data; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::span<const std::uint8_t> span() const { return {block_.data, size_}; }

  // `count` more bytes at the end, left for the caller to write. Throws
  // std::bad_alloc when there is no memory for them.
  std::uint8_t* Extend(std::size_t count);
  void clear();

  friend bool operator==(const BlobBytes& a, const BlobBytes& b);

 private:
  const BlockMemory* memory_;
  Block block_;
  std::size_t size_ = 0;
};

}  // namespace tamro::duib
