// A read-only view of a file's bytes with little-endian reads that are checked
// against the view's size. The PE reader reads every field through it: nothing is
// read by casting a structure onto the bytes, and no offset can pass the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tamro::platform::pe {

class ByteView {
 public:
  ByteView() = default;
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  const std::uint8_t* Data() const { return data_; }
  std::uint64_t Size() const { return size_; }

  // Whether [offset, offset + length) lies inside the view. Written so that no
  // sum can wrap, whatever the 64-bit arguments.
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  // Pointer to the byte at `offset`; only for ranges that Contains() accepted.
  const std::uint8_t* At(std::uint64_t offset) const {
    return data_ + static_cast<std::size_t>(offset);
  }

  std::optional<std::uint16_t> U16(std::uint64_t offset) const {
    if (!Contains(offset, 2)) return std::nullopt;
    const std::uint8_t* p = At(offset);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }

  std::optional<std::uint32_t> U32(std::uint64_t offset) const {
    if (!Contains(offset, 4)) return std::nullopt;
    const std::uint8_t* p = At(offset);
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
  }

 private:
  const std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;
};

// Reads without optional: for fields whose range the caller has already checked.
inline std::uint16_t LoadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

}  // namespace tamro::platform::pe
