#include "tests/builders/duib_builder.h"

#include <stdexcept>

#include "tests/builders/little_endian.h"

namespace tamro::test {

std::uint16_t DuibBuilder::String(std::u16string_view text) {
  for (std::size_t i = 0; i < strings_.size(); ++i) {
    if (!rawOffsets_[i] && strings_[i] == text) return static_cast<std::uint16_t>(i);
  }
  const std::uint32_t index = AddRawString(text);
  if (index >= 0x8000) throw std::length_error("string IDs end at 0x7FFF");
  return static_cast<std::uint16_t>(index);
}

std::uint32_t DuibBuilder::AddRawString(std::u16string_view text) {
  strings_.emplace_back(text);
  rawOffsets_.emplace_back(std::nullopt);
  return static_cast<std::uint32_t>(strings_.size() - 1);
}

void DuibBuilder::AddStringOffset(std::uint32_t offset) {
  strings_.emplace_back();
  rawOffsets_.emplace_back(offset);
}

namespace {
void AppendElement(std::vector<std::uint32_t>& items, std::uint32_t type, std::uint16_t name,
                   const std::vector<Attribute>& attributes) {
  items.push_back(ElementItem(type, static_cast<std::uint32_t>(attributes.size()), name));
  for (const Attribute& a : attributes) items.push_back(AttributeItem(a.name, a.value));
}
}  // namespace

DuibBuilder& DuibBuilder::Open(std::uint16_t name, std::vector<Attribute> attributes) {
  AppendElement(items_, kTypeOpen, name, attributes);
  ++elementCount_;
  return *this;
}

DuibBuilder& DuibBuilder::Empty(std::uint16_t name, std::vector<Attribute> attributes) {
  AppendElement(items_, kTypeEmpty, name, attributes);
  ++elementCount_;
  return *this;
}

DuibBuilder& DuibBuilder::Close(std::uint16_t name, std::vector<Attribute> attributes) {
  AppendElement(items_, kTypeClose, name, attributes);
  ++elementCount_;
  return *this;
}

DuibBuilder& DuibBuilder::Item(std::uint32_t item) {
  items_.push_back(item);
  return *this;
}

DuibBuilder& DuibBuilder::Resid(std::uint32_t valueId, std::uint32_t elementIndex) {
  resid_.emplace_back(valueId, elementIndex);
  return *this;
}

void DuibBuilder::AppendResid(std::vector<std::uint8_t>& out) const {
  const auto n = static_cast<std::uint32_t>(resid_.size());
  Put32(out, 20, residSectionSize.value_or(8 + 8 * n));
  Put32(out, 24, residCount.value_or(n));
  for (const auto& [value, index] : resid_) {
    const std::size_t at = out.size();
    Put32(out, at, value);
    Put32(out, at + 4, index);
  }
}

std::uint32_t DuibBuilder::AppendElements(std::vector<std::uint8_t>& out) const {
  out.resize(out.size() + gapBeforeElements, 0);
  const std::size_t e = out.size();
  const auto bytes = static_cast<std::uint32_t>(8 + 4 * items_.size() + elementTailBytes);
  Put32(out, e, elementSectionSize.value_or(bytes));
  Put32(out, e + 4, elementCount.value_or(elementCount_));
  for (std::uint32_t item : items_) Put32(out, out.size(), item);
  out.resize(out.size() + elementTailBytes, 0xEE);
  return static_cast<std::uint32_t>(e);
}

std::uint32_t DuibBuilder::AppendStrings(std::vector<std::uint8_t>& out) const {
  out.resize(out.size() + gapBeforeStrings, 0);
  const std::size_t s = out.size();
  const auto count = static_cast<std::uint32_t>(strings_.size());
  Put32(out, s, 0);  // the size is patched once the section is complete
  Put32(out, s + 4, stringCount.value_or(count));
  const std::size_t table = s + 8;
  out.resize(table + 4 * std::size_t{count}, 0);
  if (oddStringAlignment) out.push_back(0xAB);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (rawOffsets_[i]) {
      Put32(out, table + 4 * i, *rawOffsets_[i]);
      continue;
    }
    Put32(out, table + 4 * i, static_cast<std::uint32_t>(out.size() - s));
    for (char16_t unit : strings_[i]) Put16(out, out.size(), unit);
    Put16(out, out.size(), 0);
  }
  return static_cast<std::uint32_t>(s);
}

std::vector<std::uint8_t> DuibBuilder::Build() const {
  std::vector<std::uint8_t> out(20, 0);
  const std::uint32_t flag = residFlag.value_or(resid_.empty() ? 0u : 1u);
  if (flag != 0) AppendResid(out);

  std::uint32_t elementAt = 0;
  if (order == SectionOrder::ResidElementString) elementAt = AppendElements(out);
  const std::uint32_t s = AppendStrings(out);
  // Elements placed behind the string data stay inside the string section, which
  // must reach the end of the blob.
  if (order == SectionOrder::ResidStringElement) elementAt = AppendElements(out);

  Put32(out, s, stringSectionSize.value_or(static_cast<std::uint32_t>(out.size() - s)));
  Put32(out, 0, magic);
  Put32(out, 4, version);
  Put32(out, 8, elementOffset.value_or(elementAt));
  Put32(out, 12, stringOffset.value_or(s));
  Put32(out, 16, flag);
  return out;
}

}  // namespace tamro::test
