// Eight bytes at a time: scans that test a whole machine word per step instead of
// one byte, for the reader's hot loops.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tamro::compile {

static_assert(std::endian::native == std::endian::little, "byte order of the word scans");

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t LoadWord(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The high bit of each byte of `word` that equals `byte`, and no other bit.
inline std::uint64_t BytesEqual(std::uint64_t word, unsigned char byte) {
  const std::uint64_t x = word ^ (kEveryByte * byte);
  return ~(((x & ~kHighBits) + ~kHighBits) | x) & kHighBits;
}

// Marks the bytes of `word` below `limit` (at most 0x80). Exact as to whether
// there is one, and the lowest mark is always right; marks above it may be false.
inline std::uint64_t BytesBelow(std::uint64_t word, unsigned char limit) {
  return (word - kEveryByte * limit) & ~word & kHighBits;
}

// The index of the first byte marked in a mask of BytesEqual or BytesBelow.
inline std::size_t FirstMarked(std::uint64_t mask) {
  return static_cast<std::size_t>(std::countr_zero(mask)) / 8;
}

// The first `count` (1 to 7) bytes of `word`, the others zero.
inline std::uint64_t FirstBytes(std::uint64_t word, std::size_t count) {
  return word & (~std::uint64_t{0} >> (8 * (8 - count)));
}

// How many bytes a mask of BytesEqual marks: a multiplication adds up the marks
// (the machine's population count is not there on every x86-64).
inline std::size_t CountMarks(std::uint64_t mask) {
  return static_cast<std::size_t>(((mask >> 7) * kEveryByte) >> 56);
}

// The UTF-8 continuation bytes (10xxxxxx) in `word`.
inline std::size_t ContinuationBytes(std::uint64_t word) {
  return CountMarks(word & ~(word << 1) & kHighBits);
}

}  // namespace tamro::compile
