#include "duib/blob_bytes.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

namespace tamro::duib {

BlobBytes::BlobBytes(BlobBytes&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

BlobBytes& BlobBytes::operator=(BlobBytes&& other) noexcept {
  if (this != &other) {
    std::free(bytes_);
    bytes_ = std::exchange(other.bytes_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

BlobBytes::~BlobBytes() {
  std::free(bytes_);
}

std::uint8_t* BlobBytes::Extend(std::size_t count) {
  if (count > capacity_ - size_) {
    if (count > SIZE_MAX / 2 - size_) throw std::bad_alloc();
    const std::size_t capacity = std::max({size_ + count, 2 * capacity_, std::size_t{4096}});
    void* grown = std::realloc(bytes_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    bytes_ = static_cast<std::uint8_t*>(grown);
    capacity_ = capacity;
  }
  std::uint8_t* const at = bytes_ + size_;
  size_ += count;
  return at;
}

void BlobBytes::clear() {
  std::free(std::exchange(bytes_, nullptr));
  size_ = 0;
  capacity_ = 0;
}

bool operator==(const BlobBytes& a, const BlobBytes& b) {
  return std::ranges::equal(a.span(), b.span());
}

}  // namespace tamro::duib
