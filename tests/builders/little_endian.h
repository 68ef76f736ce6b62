// Little-endian stores and loads for the test builders (DUIB blobs, PE modules)
// and for tests that patch their bytes by hand. A store past the end grows the
// buffer with zero bytes; a load past the end is a test fault and reads zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamro::test {

inline void PutLE(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value,
                  std::size_t width) {
  if (bytes.size() < offset + width) bytes.resize(offset + width);
  for (std::size_t i = 0; i < width; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

inline std::uint64_t GetLE(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                           std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width && offset + i < bytes.size(); ++i) {
    value |= std::uint64_t{bytes[offset + i]} << (8 * i);
  }
  return value;
}

inline void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
  PutLE(bytes, offset, value, 2);
}
inline void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  PutLE(bytes, offset, value, 4);
}
inline void Put64(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value) {
  PutLE(bytes, offset, value, 8);
}
inline std::uint16_t Get16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(GetLE(bytes, offset, 2));
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(GetLE(bytes, offset, 4));
}

}  // namespace tamro::test
