// The rendering of CDuibConvert: what each element and attribute item becomes.
#include "duib/layout.h"
#include "engine/duib_convert.h"

namespace tamro {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kPaddedTabs = kPadding;
constexpr PaddedArray<kPaddedTabs> kTabs = [] {
  PaddedArray<kPaddedTabs> tabs;
  tabs.chars.fill('\t');
  return tabs;
}();

bool IsEmptyType(std::uint32_t type) {
  return type == static_cast<std::uint32_t>(duib::ElementType::Empty);
}

}  // namespace

// Indentation of up to kPaddedTabs levels is one padded piece; none at depth 0
// or below.
void CDuibConvert::ElementStart(std::uint32_t type, std::int32_t depth) {
  if (depth > 0) {
    const auto levels = static_cast<std::size_t>(depth);
    if (levels <= kPaddedTabs) {
      out_->Append(kTabs.Piece(0, levels));
    } else {
      out_->AppendRepeated(levels, '\t');
    }
  }
  out_->Append(type == static_cast<std::uint32_t>(duib::ElementType::Close) ? "</"sv : "<"sv);
}

void CDuibConvert::TagEnd(std::uint32_t type) {
  out_->Append(IsEmptyType(type) ? "/>\r\n"sv : ">\r\n"sv);
}

// Apart from the hot path of AppendName.
void CDuibConvert::AppendPlaceholder(std::uint16_t id, duib::NameKind kind) {
  char placeholder[duib::kMaxPlaceholder];
  out_->Append(std::string_view(placeholder, duib::FormatPlaceholder(id, kind, placeholder)));
}

}  // namespace tamro
