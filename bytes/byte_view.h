// A bounds-checked, read-only window on the caller's bytes. Every read names its
// offset and is refused when any byte of it would lie past the end; offsets are
// 64-bit so that sums of 32-bit fields never wrap. Shared by the converter and the
// PE reader: nothing is read by casting a structure onto the bytes.
#pragma once

#include <cstdint>
#include <optional>

namespace tamro {

class ByteView {
 public:
  ByteView() = default;
  // No bytes at all when `data` is null, whatever `size` says.
  ByteView(const std::uint8_t* data, std::uint32_t size) : data_(data), size_(data ? size : 0) {}

  const std::uint8_t* data() const { return data_; }
  std::uint32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // True when [offset, offset + length) lies inside the bytes.
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  // The bytes [offset, offset + length), or nullopt when they do not all lie inside.
  std::optional<ByteView> Sub(std::uint64_t offset, std::uint64_t length) const {
    if (!Contains(offset, length)) return std::nullopt;
    return ByteView(data_ + offset, static_cast<std::uint32_t>(length));
  }

  std::optional<std::uint32_t> U32(std::uint64_t offset) const {
    if (!Contains(offset, 4)) return std::nullopt;
    return U32Unchecked(static_cast<std::uint32_t>(offset));
  }

  std::optional<std::uint16_t> U16(std::uint64_t offset) const {
    if (!Contains(offset, 2)) return std::nullopt;
    return U16Unchecked(static_cast<std::uint32_t>(offset));
  }

  // For loops whose whole range was checked once with Contains: no check here.
  std::uint32_t U32Unchecked(std::uint32_t offset) const {
    const std::uint8_t* p = data_ + offset;
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
  }
  std::uint16_t U16Unchecked(std::uint32_t offset) const {
    const std::uint8_t* p = data_ + offset;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }

 private:
  const std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
};

}  // namespace tamro
