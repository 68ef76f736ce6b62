// The rendering phase of CDuibConvert: one walk over the checked item stream.
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <iterator>

#include "engine/duib_convert.h"
#include "engine/name_dictionary.h"

namespace tamro {
namespace {

using namespace std::string_view_literals;

constexpr std::uint32_t kTypeOpen = 0;
constexpr std::uint32_t kTypeEmpty = 1;
constexpr std::uint32_t kTypeClose = 2;

constexpr std::uint16_t kBuiltinBit = 0x8000;

constexpr std::size_t kPaddedTabs = kPadding;
constexpr PaddedArray<kPaddedTabs> kTabs = [] {
  PaddedArray<kPaddedTabs> tabs;
  tabs.chars.fill('\t');
  return tabs;
}();

// Indentation of up to kPaddedTabs levels is one padded piece.
void AppendIndent(OutputWriter& out, std::size_t depth) {
  if (depth <= kPaddedTabs) return out.Append(kTabs.Piece(0, depth));
  out.AppendRepeated(depth, '\t');
}

}  // namespace

ConvertStatus CDuibConvert::Render() {
  std::int32_t depth = 0;
  std::uint32_t attributesRemaining = 0;
  std::uint32_t currentType = 0;
  std::int32_t elementCounter = 0;
  bool stylesheets = false;

  const ByteView& bytes = blob_.bytes;
  for (std::uint32_t k = 0; k < blob_.itemCount; ++k) {
    const std::uint32_t item = bytes.U32Unchecked(blob_.itemsAt + 4 * k);
    if (attributesRemaining == 0) {
      const std::uint32_t type = item & 0xF;
      const std::uint32_t attributeCount = (item >> 4) & 0xFFF;
      if (type == kTypeClose) --depth;
      if (depth > 0) AppendIndent(*out_, static_cast<std::size_t>(depth));
      out_->Append(type == kTypeClose ? "</"sv : "<"sv);
      GetElementName(item, stylesheets);
      if (attributeCount == 0) out_->Append(type == kTypeEmpty ? "/>\r\n"sv : ">\r\n"sv);
      if (type == kTypeOpen) ++depth;
      ++elementCounter;
      attributesRemaining = attributeCount;
      currentType = type;
    } else {
      --attributesRemaining;
      GetAttributeText(item, elementCounter - 1, stylesheets);
      if (attributesRemaining == 0) {
        out_->Append(currentType == kTypeEmpty ? "/>\r\n"sv : ">\r\n"sv);
      }
    }
    if (out_->overflowed()) return ConvertStatus::TooLarge;
  }
  // A stream that ends inside an element's attributes keeps the blank that
  // separates them, as each attribute had one behind it.
  if (attributesRemaining > 0) out_->Append(" "sv);
  out_->Flush();
  if (out_->overflowed()) return ConvertStatus::TooLarge;

  if (static_cast<std::uint32_t>(elementCounter) != declaredElementCount_) {
    return ConvertStatus::ElementCount;
  }
  if (static_cast<std::uint32_t>(residMatchCount_) != blob_.residCount) residCheckFailed_ = true;
  if (unknownCount_ > 0 || residCheckFailed_) return ConvertStatus::Warnings;
  return ConvertStatus::Ok;
}

void CDuibConvert::GetElementName(std::uint32_t item, bool& stylesheets) {
  const auto nameId = static_cast<std::uint16_t>(item >> 16);
  AppendName(nameId, NameKind::Element);
  if (nameId == kStylesheetsId) stylesheets = (item & 0xF) != kTypeClose;
}

void CDuibConvert::GetAttributeText(std::uint32_t item, std::int32_t elementIndex,
                                    bool stylesheets) {
  const auto nameId = static_cast<std::uint16_t>(item & 0xFFFF);
  const auto valueId = static_cast<std::uint16_t>(item >> 16);
  out_->Append(" "sv);
  AppendName(nameId, NameKind::Attribute);
  out_->Append("=\""sv);
  AppendName(valueId, NameKind::Value);
  out_->Append("\""sv);
  if (nameId == kResidId && !stylesheets) CheckResid(elementIndex, valueId);
}

void CDuibConvert::AppendName(std::uint16_t id, NameKind kind) {
  if (id >= kBuiltinBit) {
    const PaddedPiece name = NameDictionary::Lookup(id);
    if (!name.empty()) return out_->Append(name);
  } else if (id < blob_.stringCount && AppendBlobString(id)) {
    return;
  }

  ++unknownCount_;
  AppendPlaceholder(id, kind);
}

// Apart from the hot path of AppendName: formatting needs a large stack frame.
void CDuibConvert::AppendPlaceholder(std::uint16_t id, NameKind kind) {
  char placeholder[32];
  const std::size_t room = std::size(placeholder);
  const auto end =
      kind == NameKind::Element     ? fmt::format_to_n(placeholder, room, "UNKNOWN_ELEM({:4X})", id)
      : kind == NameKind::Attribute ? fmt::format_to_n(placeholder, room, "UNKNOWN_ATTR({:4X})", id)
                                    : fmt::format_to_n(placeholder, room, "UNKNOWN_VAL({:4X})", id);
  out_->Append(std::string_view(placeholder, end.size));
}

void CDuibConvert::CheckResid(std::int32_t elementIndex, std::uint16_t valueId) {
  if (!residIndexed_) IndexResidTable();
  const auto e = static_cast<std::uint32_t>(elementIndex);
  if (e >= residFirstEntry_.size() || residFirstEntry_[e] == 0) return;
  const std::uint32_t entry = residFirstEntry_[e] - 1;
  const std::uint32_t value = blob_.bytes.U32Unchecked(blob_.residEntriesAt + 8 * entry);
  if (value != valueId) residCheckFailed_ = true;
  ++residMatchCount_;
}

// Only indexes below both the number of stream items (an element index never
// reaches it) and the highest index in the table need a slot.
void CDuibConvert::IndexResidTable() {
  residIndexed_ = true;
  const ByteView& bytes = blob_.bytes;
  std::uint32_t slots = 0;
  for (std::uint32_t i = 0; i < blob_.residCount; ++i) {
    const std::uint32_t element = bytes.U32Unchecked(blob_.residEntriesAt + 8 * i + 4);
    if (element < blob_.itemCount) slots = std::max(slots, element + 1);
  }
  residFirstEntry_.assign(slots, 0);
  for (std::uint32_t i = 0; i < blob_.residCount; ++i) {
    const std::uint32_t element = bytes.U32Unchecked(blob_.residEntriesAt + 8 * i + 4);
    if (element < slots && residFirstEntry_[element] == 0) residFirstEntry_[element] = i + 1;
  }
}

}  // namespace tamro
