#include "duib/blob_bytes.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace tamro::duib {

BlobBytes::BlobBytes(BlobBytes&& other) noexcept
    : memory_(other.memory_),
      block_(std::exchange(other.block_, Block())),
      size_(std::exchange(other.size_, 0)) {}

BlobBytes& BlobBytes::operator=(BlobBytes&& other) noexcept {
  if (this != &other) {
    clear();
    memory_ = other.memory_;
    block_ = std::exchange(other.block_, Block());
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

std::uint8_t* BlobBytes::Extend(std::size_t count) {
  if (count > block_.capacity - size_) {
    if (count > SIZE_MAX / 2 - size_) throw std::bad_alloc();
    const std::size_t capacity = std::max({size_ + count, 2 * block_.capacity, std::size_t{4096}});
    const BlockMemory& memory = block_.owner != nullptr ? *block_.owner : *memory_;
    const Block grown = memory.Grow(block_, size_, capacity);
    if (grown.data == nullptr) throw std::bad_alloc();
    block_ = grown;
  }
  std::uint8_t* const at = block_.data + size_;
  size_ += count;
  return at;
}

void BlobBytes::clear() {
  if (block_.owner != nullptr) block_.owner->Release(block_);
  block_ = Block();
  size_ = 0;
}

bool operator==(const BlobBytes& a, const BlobBytes& b) {
  return std::ranges::equal(a.span(), b.span());
}

}  // namespace tamro::duib
