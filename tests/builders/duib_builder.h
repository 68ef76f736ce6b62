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

// Every built-in ID by its name, for readable test data. Names that C++ reserves
// are spelt True, False, if_ and class_; borderlayout() drops its parentheses.
namespace builtin {
inline constexpr std::uint16_t Element = 0x8000;
inline constexpr std::uint16_t duixml = 0x8001;
inline constexpr std::uint16_t resid = 0x8002;
inline constexpr std::uint16_t True = 0x8003;
inline constexpr std::uint16_t False = 0x8004;
inline constexpr std::uint16_t stylesheets = 0x8005;
inline constexpr std::uint16_t if_ = 0x8006;
inline constexpr std::uint16_t unless = 0x8007;
inline constexpr std::uint16_t style = 0x8008;
inline constexpr std::uint16_t base = 0x8009;
inline constexpr std::uint16_t sheet = 0x800A;
inline constexpr std::uint16_t accessible = 0x800B;
inline constexpr std::uint16_t font = 0x800C;
inline constexpr std::uint16_t accrole = 0x800D;
inline constexpr std::uint16_t background = 0x800E;
inline constexpr std::uint16_t foreground = 0x800F;
inline constexpr std::uint16_t id = 0x8010;
inline constexpr std::uint16_t content = 0x8011;
inline constexpr std::uint16_t contentalign = 0x8012;
inline constexpr std::uint16_t class_ = 0x8013;
inline constexpr std::uint16_t bordercolor = 0x8014;
inline constexpr std::uint16_t borderthickness = 0x8015;
inline constexpr std::uint16_t borderstyle = 0x8016;
inline constexpr std::uint16_t EdgeHighlightColor = 0x8017;
inline constexpr std::uint16_t EdgeHighlightThickness = 0x8018;
inline constexpr std::uint16_t layout = 0x8019;
inline constexpr std::uint16_t layoutpos = 0x801A;
inline constexpr std::uint16_t Enabled = 0x801B;
inline constexpr std::uint16_t Pressed = 0x801C;
inline constexpr std::uint16_t mousewithin = 0x801D;
inline constexpr std::uint16_t captured = 0x801E;
inline constexpr std::uint16_t active = 0x801F;
inline constexpr std::uint16_t inactive = 0x8020;
inline constexpr std::uint16_t padding = 0x8021;
inline constexpr std::uint16_t accname = 0x8022;
inline constexpr std::uint16_t margin = 0x8023;
inline constexpr std::uint16_t width = 0x8024;
inline constexpr std::uint16_t height = 0x8025;
inline constexpr std::uint16_t top = 0x8026;
inline constexpr std::uint16_t bottom = 0x8027;
inline constexpr std::uint16_t left = 0x8028;
inline constexpr std::uint16_t right = 0x8029;
inline constexpr std::uint16_t client = 0x802A;
inline constexpr std::uint16_t none = 0x802B;
inline constexpr std::uint16_t topleft = 0x802C;
inline constexpr std::uint16_t middleleft = 0x802F;
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
  // Appends one raw 32-bit item to the stream.
  DuibBuilder& Item(std::uint32_t item);
  // Appends a resid entry; turns the resid section on.
  DuibBuilder& Resid(std::uint32_t valueId, std::uint32_t elementIndex);

  // Number of element items appended so far through Open/Empty/Close.
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
  // Each appends its section at the end of `out`; the last two return its offset.
  void AppendResid(std::vector<std::uint8_t>& out) const;
  std::uint32_t AppendElements(std::vector<std::uint8_t>& out) const;
  std::uint32_t AppendStrings(std::vector<std::uint8_t>& out) const;

  std::vector<std::u16string> strings_;
  std::vector<std::optional<std::uint32_t>> rawOffsets_;  // set: offset given directly
  std::vector<std::uint32_t> items_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> resid_;
  std::uint32_t elementCount_ = 0;
};

}  // namespace tamro::test
