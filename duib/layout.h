// The byte layout of a DUIB blob, written down once for the reader and the writer:
// the header, the section heads, the bit fields of the 32-bit items and the
// built-in IDs that the format gives a role.
//
//   header       20 bytes at 0: magic "duib", version 5, element section offset,
//                string section offset, resid flag (0: no resid section)
//   resid        at 20 when the flag is set: size, count, count x (value ID, element index)
//   elements     size, declared element count, then 32-bit items to the section's end
//   strings      size, count, count x offset from the section start, then UTF-16LE
//                strings ended by a zero unit; the section ends where the blob ends
//
// Every number is little-endian; nothing needs to be aligned.
#pragma once

#include <cstdint>

namespace tamro::duib {

inline constexpr std::uint32_t kMagic = 0x62697564;  // "duib"
inline constexpr std::uint32_t kVersion = 5;
inline constexpr std::uint32_t kHeaderSize = 20;
inline constexpr std::uint32_t kResidSectionAt = kHeaderSize;
inline constexpr std::uint32_t kSectionHeadSize = 8;  // size and count of every section
inline constexpr std::uint32_t kResidEntrySize = 8;

// Header fields, by offset.
inline constexpr std::uint32_t kHeaderMagic = 0;
inline constexpr std::uint32_t kHeaderVersion = 4;
inline constexpr std::uint32_t kHeaderElementOffset = 8;
inline constexpr std::uint32_t kHeaderStringOffset = 12;
inline constexpr std::uint32_t kHeaderResidFlag = 16;

// An element item: type in bits 0-3, attribute count in bits 4-15, name in 16-31.
// Types 3 to 15 have no meaning of their own; they read like an open item that
// opens nothing.
enum class ElementType : std::uint32_t { Open = 0, Empty = 1, Close = 2 };
inline constexpr std::uint32_t kMaxAttributes = 0xFFF;

constexpr std::uint32_t ItemType(std::uint32_t item) {
  return item & 0xF;
}
constexpr std::uint32_t ItemAttributeCount(std::uint32_t item) {
  return (item >> 4) & 0xFFF;
}
constexpr std::uint16_t ItemName(std::uint32_t item) {
  return static_cast<std::uint16_t>(item >> 16);
}
constexpr std::uint32_t ElementItem(ElementType type, std::uint32_t attributeCount,
                                    std::uint16_t name) {
  return static_cast<std::uint32_t>(type) | ((attributeCount & kMaxAttributes) << 4) |
         (std::uint32_t{name} << 16);
}

// An attribute item: the name ID in bits 0-15, the value ID in bits 16-31.
constexpr std::uint16_t AttributeName(std::uint32_t item) {
  return static_cast<std::uint16_t>(item & 0xFFFF);
}
constexpr std::uint16_t AttributeValue(std::uint32_t item) {
  return static_cast<std::uint16_t>(item >> 16);
}
constexpr std::uint32_t AttributeItem(std::uint16_t name, std::uint16_t value) {
  return std::uint32_t{name} | (std::uint32_t{value} << 16);
}

// IDs: below 0x8000 an index into the blob's strings, from 0x8000 a built-in word.
inline constexpr std::uint16_t kBuiltinBit = 0x8000;
inline constexpr std::uint32_t kMaxStringIds = 0x8000;   // strings that an ID can name
inline constexpr std::uint16_t kResidId = 0x8002;        // attribute cross-checked with the table
inline constexpr std::uint16_t kStylesheetsId = 0x8005;  // element inside which it is not

constexpr bool IsBuiltin(std::uint16_t id) {
  return id >= kBuiltinBit;
}

}  // namespace tamro::duib
