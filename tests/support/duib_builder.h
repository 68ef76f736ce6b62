// Builds DUIB blobs for tests, fuzz seeds, benchmarks and the bundled samples.
// Strings are interned into the string table automatically; every section size,
// count, offset and the section order can be overridden to make faulty blobs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamro::test {

// Built-in IDs by name, for readable test data.
namespace builtin {
inline constexpr std::uint16_t Element = 0x8000;
inline constexpr std::uint16_t duixml = 0x8001;
inline constexpr std::uint16_t resid = 0x8002;
inline constexpr std::uint16_t True = 0x8003;
inline constexpr std::uint16_t False = 0x8004;
inline constexpr std::uint16_t stylesheets = 0x8005;
inline constexpr std::uint16_t style = 0x8008;
inline constexpr std::uint16_t id = 0x8010;
inline constexpr std::uint16_t class_ = 0x8013;
inline constexpr std::uint16_t content = 0x8011;
inline constexpr std::uint16_t layout = 0x8019;
inline constexpr std::uint16_t layoutpos = 0x801A;
inline constexpr std::uint16_t width = 0x8024;
inline constexpr std::uint16_t client = 0x802A;
inline constexpr std::uint16_t none = 0x802B;
inline constexpr std::uint16_t borderlayout = 0x803F;
}  // namespace builtin

inline constexpr std::uint32_t kTypeOpen = 0;
inline constexpr std::uint32_t kTypeEmpty = 1;
inline constexpr std::uint32_t kTypeClose = 2;

constexpr std::uint32_t ElementItem(std::uint32_t type, std::uint32_t attributeCount,
                                    std::uint16_t name) {
  return (type & 0xF) | ((attributeCount & 0xFFF) << 4) | (std::uint32_t{name} << 16);
}
constexpr std::uint32_t AttributeItem(std::uint16_t name, std::uint16_t value) {
  return std::uint32_t{name} | (std::uint32_t{value} << 16);
}

struct Attribute {
  std::uint16_t name;
  std::uint16_t value;
};

// A tree node: rendered as an empty item when it has no children, otherwise as an
// open item, its children and a close item with the same name.
struct Node {
  std::uint16_t name;
  std::vector<Attribute> attributes;
  std::vector<Node> children;
};

enum class SectionOrder { ResidElementString, ResidStringElement };

class DuibBuilder {
 public:
  // Interns `text` (UTF-16) and returns its string ID.
  std::uint16_t String(std::u16string_view text);
  // Appends a string table entry as is (duplicates allowed); returns its index.
  std::uint32_t AddRawString(std::u16string_view text);
  // Appends a string table entry whose offset is given directly (relative to the
  // string section), for strings that share storage or lie out of bounds.
  void AddStringOffset(std::uint32_t offset);

  DuibBuilder& Open(std::uint16_t name, std::vector<Attribute> attributes = {});
  DuibBuilder& Empty(std::uint16_t name, std::vector<Attribute> attributes = {});
  DuibBuilder& Close(std::uint16_t name, std::vector<Attribute> attributes = {});
  DuibBuilder& Tree(const Node& node);
  // Appends one raw 32-bit item to the stream.
  DuibBuilder& Item(std::uint32_t item);
  // Appends a resid entry; turns the resid section on.
  DuibBuilder& Resid(std::uint32_t valueId, std::uint32_t elementIndex);

  // Number of element items appended so far through Open/Empty/Close/Tree.
  std::uint32_t ElementCount() const { return elementCount_; }

  // Knobs for faulty blobs; unset values are computed from the content.
  std::uint32_t version = 5;
  std::uint32_t magic = 0x62697564;
  std::optional<std::uint32_t> residFlag;  // default: 1 when resid entries exist
  std::optional<std::uint32_t> residSectionSize;
  std::optional<std::uint32_t> residCount;
  std::optional<std::uint32_t> elementSectionSize;
  std::optional<std::uint32_t> elementCount;  // declared count
  std::optional<std::uint32_t> elementOffset;
  std::optional<std::uint32_t> stringSectionSize;
  std::optional<std::uint32_t> stringCount;
  std::optional<std::uint32_t> stringOffset;
  std::uint32_t gapBeforeElements = 0;  // zero bytes between sections
  std::uint32_t gapBeforeStrings = 0;
  std::uint32_t elementTailBytes = 0;  // 1-3 stray bytes inside the element section
  bool oddStringAlignment = false;     // start string data at an odd offset
  SectionOrder order = SectionOrder::ResidElementString;

  std::vector<std::uint8_t> Build() const;

 private:
  std::vector<std::u16string> strings_;
  std::vector<std::optional<std::uint32_t>> rawOffsets_;  // set: offset given directly
  std::vector<std::uint32_t> items_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> resid_;
  std::uint32_t elementCount_ = 0;
};

// Little-endian helpers for tests that patch blobs by hand.
void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
std::uint32_t GetU32(const std::vector<std::uint8_t>& bytes, std::size_t offset);

}  // namespace tamro::test
