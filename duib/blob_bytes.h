// A blob's bytes in one block that grows at its end. The block grows with
// realloc, which moves a large block by remapping its pages: a blob written item
// by item costs its pages once and no copy, where a vector's growth costs both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamro::duib {

class BlobBytes {
 public:
  BlobBytes() = default;
  BlobBytes(BlobBytes&& other) noexcept;
  BlobBytes& operator=(BlobBytes&& other) noexcept;
  BlobBytes(const BlobBytes&) = delete;
  BlobBytes& operator=(const BlobBytes&) = delete;
  ~BlobBytes();

  const std::uint8_t* data() const { return bytes_; }
  std::uint8_t* data() { return bytes_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::span<const std::uint8_t> span() const { return {bytes_, size_}; }

  // `count` more bytes at the end, left for the caller to write. Throws
  // std::bad_alloc when there is no memory for them.
  std::uint8_t* Extend(std::size_t count);
  void clear();

  friend bool operator==(const BlobBytes& a, const BlobBytes& b);

 private:
  std::uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tamro::duib
