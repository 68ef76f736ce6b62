// The rendering phase of CDuibConvert: one walk over the checked item stream.
#include <fmt/format.h>
#include <fmt/xchar.h>

#include <algorithm>
#include <iterator>

#include "engine/duib_convert.h"

namespace tamro {
namespace {

using namespace std::string_view_literals;

constexpr std::uint32_t kTypeOpen = 0;
constexpr std::uint32_t kTypeEmpty = 1;
constexpr std::uint32_t kTypeClose = 2;

constexpr std::uint16_t kBuiltinBit = 0x8000;

bool IsHighSurrogate(std::uint16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(std::uint16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
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
    const std::uint32_t item = bytes.U32At(blob_.itemsAt + 4 * k);
    if (attributesRemaining == 0) {
      const std::uint32_t type = item & 0xF;
      const std::uint32_t attributeCount = (item >> 4) & 0xFFF;
      if (type == kTypeClose) --depth;
      if (depth > 0) out_->AppendRepeated(static_cast<std::size_t>(depth), L'\t');
      out_->Append(type == kTypeClose ? L"</"sv : L"<"sv);
      GetElementName(item, stylesheets);
      if (attributeCount == 0) {
        out_->Append(type == kTypeEmpty ? L"/>\r\n"sv : L">\r\n"sv);
      } else {
        out_->Append(L" "sv);
      }
      if (type == kTypeOpen) ++depth;
      ++elementCounter;
      attributesRemaining = attributeCount;
      currentType = type;
    } else {
      --attributesRemaining;
      GetAttributeText(item, elementCounter - 1, stylesheets);
      if (attributesRemaining == 0) {
        out_->TrimRight();  // the space behind the last attribute
        out_->Append(currentType == kTypeEmpty ? L"/>\r\n"sv : L">\r\n"sv);
      }
    }
    if (out_->overflowed()) {
      out_->Abandon();  // give the memory back at once
      return StatusTooLarge;
    }
  }
  out_->Finish();

  if (static_cast<std::uint32_t>(elementCounter) != declaredElementCount_) {
    return StatusElementCount;
  }
  if (static_cast<std::uint32_t>(residMatchCount_) != blob_.residCount) residCheckFailed_ = true;
  if (unknownCount_ > 0 || residCheckFailed_) return StatusWarnings;
  return StatusOk;
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
  AppendName(nameId, NameKind::Attribute);
  out_->Append(L"=\""sv);
  AppendName(valueId, NameKind::Value);
  out_->Append(L"\" "sv);
  if (nameId == kResidId && !stylesheets) CheckResid(elementIndex, valueId);
}

void CDuibConvert::AppendName(std::uint16_t id, NameKind kind) {
  if (id >= kBuiltinBit) {
    const std::wstring_view name = NameDictionary::Lookup(id);
    if (!name.empty()) return out_->Append(name);
  } else if (id < blob_.stringCount && AppendBlobString(id)) {
    return;
  }

  ++unknownCount_;
  wchar_t placeholder[32];
  const std::size_t room = std::size(placeholder);
  const auto end = kind == NameKind::Element
                       ? fmt::format_to_n(placeholder, room, L"UNKNOWN_ELEM({:4X})", id)
                   : kind == NameKind::Attribute
                       ? fmt::format_to_n(placeholder, room, L"UNKNOWN_ATTR({:4X})", id)
                       : fmt::format_to_n(placeholder, room, L"UNKNOWN_VAL({:4X})", id);
  out_->Append(std::wstring_view(placeholder, end.size));
}

// Appends string `index` of the blob's string table. False (nothing appended) for
// an empty string, which is rendered as unknown. Each string is decoded once into
// the pool while the pool stays within its budget (always, for real files);
// strings past the budget, which only overlapping hostile tables reach, are
// decoded anew on every use, which costs no more than the text they produce.
bool CDuibConvert::AppendBlobString(std::uint16_t index) {
  if (stringSlots_.empty()) {
    stringSlots_.assign(std::min<std::uint32_t>(blob_.stringCount, 0x8000), kNotDecoded);
  }
  std::uint64_t& slot = stringSlots_[index];
  if (slot == kNotDecoded) {
    const std::uint32_t start = StringStart(index);
    const std::uint32_t units = StringUnits(start);
    if (stringPool_.size() + units <= poolBudget_) {
      const std::size_t at = stringPool_.size();
      stringPool_.resize(at + units);
      const std::size_t written = DecodeUtf16(start, units, stringPool_.data() + at);
      stringPool_.resize(at + written);
      slot = (std::uint64_t{at} << 32) | written;
    } else {
      slot = kNotPooled;
    }
  }

  if (slot == kNotPooled) {
    const std::uint32_t start = StringStart(index);
    const std::uint32_t units = StringUnits(start);
    if (units == 0) return false;
    if (wchar_t* at = out_->Claim(units)) out_->Unclaim(units - DecodeUtf16(start, units, at));
    return true;
  }

  const std::size_t length = slot & 0xFFFFFFFF;
  if (length == 0) return false;
  out_->Append(std::wstring_view(stringPool_).substr(slot >> 32, length));
  return true;
}

std::uint32_t CDuibConvert::StringStart(std::uint16_t index) const {
  return blob_.stringTableAt +
         blob_.bytes.U32At(blob_.stringTableAt + 8 + 4 * std::uint32_t{index});
}

// The reading phase proved a zero unit inside the blob at or after `start`.
std::uint32_t CDuibConvert::StringUnits(std::uint32_t start) const {
  std::uint32_t end = start;
  while (blob_.bytes.U16At(end) != 0) end += 2;
  return (end - start) / 2;
}

// Decodes `units` UTF-16LE code units at `start` into `dest`, which has room for
// them; returns the characters written (fewer where surrogate pairs combine).
std::size_t CDuibConvert::DecodeUtf16(std::uint32_t start, std::uint32_t units,
                                      wchar_t* dest) const {
  const ByteView& bytes = blob_.bytes;
  const std::uint32_t end = start + 2 * units;
  std::size_t written = 0;
  for (std::uint32_t at = start; at < end; at += 2) {
    const std::uint16_t unit = bytes.U16At(at);
    if constexpr (sizeof(wchar_t) == 4) {
      // Combine surrogate pairs; an unpaired surrogate is kept as it stands.
      if (IsHighSurrogate(unit) && at + 2 < end && IsLowSurrogate(bytes.U16At(at + 2))) {
        const std::uint16_t low = bytes.U16At(at + 2);
        dest[written++] = static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        at += 2;
        continue;
      }
    }
    dest[written++] = static_cast<wchar_t>(unit);
  }
  return written;
}

void CDuibConvert::CheckResid(std::int32_t elementIndex, std::uint16_t valueId) {
  if (!residIndexed_) IndexResidTable();
  const auto e = static_cast<std::uint32_t>(elementIndex);
  if (e >= residFirstEntry_.size() || residFirstEntry_[e] == 0) return;
  const std::uint32_t entry = residFirstEntry_[e] - 1;
  const std::uint32_t value = blob_.bytes.U32At(blob_.residEntriesAt + 8 * entry);
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
    const std::uint32_t element = bytes.U32At(blob_.residEntriesAt + 8 * i + 4);
    if (element < blob_.itemCount) slots = std::max(slots, element + 1);
  }
  residFirstEntry_.assign(slots, 0);
  for (std::uint32_t i = 0; i < blob_.residCount; ++i) {
    const std::uint32_t element = bytes.U32At(blob_.residEntriesAt + 8 * i + 4);
    if (element < slots && residFirstEntry_[element] == 0) residFirstEntry_[element] = i + 1;
  }
}

}  // namespace tamro
