#include "frontend/sys_batch.h"

#include <fmt/xchar.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "frontend/console.h"
#include "frontend/item_loop.h"
#include "io/convert_work.h"
#include "io/source_bytes.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// The "C" locale's white space, as wcstol skips it.
bool IsSpace(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// wcstol(text, nullptr, 10) on a 32-bit long: reading stops at the first
// non-digit, no digits give 0, overflow clamps to LONG_MAX or LONG_MIN.
std::int32_t ReadDecimal(std::wstring_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
    negative = text[pos] == L'-';
    ++pos;
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMinMagnitude = kMax + 1;
  std::int64_t magnitude = 0;
  bool overflow = false;
  for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
    if (!overflow) {
      magnitude = magnitude * 10 + (text[pos] - L'0');
      if (magnitude > kMinMagnitude) overflow = true;
    }
  }
  if (negative) {
    if (overflow) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(-magnitude);
  }
  if (overflow || magnitude > kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(magnitude);
}

// The display text of an enumerated name: an id as its decimal text, a string as is.
std::wstring NameText(const pe::EnumeratedName& name) {
  return name.isId ? fmt::format(L"{}", name.id) : name.text;
}

// The resources to convert, or the batch error that stops the batch.
struct Selection {
  BatchError error = BatchError::ErrNone;
  std::vector<ItemSource> items;
};

ItemSource Resource(const platform::ResourceModule& module, std::wstring name, pe::NameKey lookup) {
  ItemSource item;
  item.name = std::move(name);
  item.module = &module;
  item.resource = std::move(lookup);
  return item;
}

// "*" mode: every UIFILE of the module, in the module's order, each under its own
// identity.
Selection SelectAll(const platform::ResourceModule& module) {
  Selection selection;
  std::vector<pe::EnumeratedName> names;
  const platform::ResourceStatus status = module.EnumNames(UifileType(), names);
  if (status != platform::ResourceStatus::Ok) {
    selection.error = status == platform::ResourceStatus::TypeNotFound ? BatchError::ErrNoUifiles
                                                                       : BatchError::ErrEnumFailed;
    return selection;
  }
  selection.items.reserve(names.size());
  for (const pe::EnumeratedName& name : names) {
    selection.items.push_back(Resource(module, NameText(name), pe::KeyFromEnumerated(name)));
  }
  return selection;
}

// List mode: each typed id is looked up by the name its text stands for; a name
// that does not exist is marked and keeps its place in the list.
Selection SelectListed(const platform::ResourceModule& module,
                       const std::vector<std::wstring>& ids) {
  Selection selection;
  selection.items.reserve(ids.size());
  for (const std::wstring& id : ids) {
    ItemSource item = Resource(module, id, ResourceNameFromText(id));
    switch (module.CheckName(UifileType(), item.resource)) {
      case platform::ResourceStatus::Ok:
        break;
      case platform::ResourceStatus::NameNotFound:
        item.selected = ItemCode::ResultIdNotFound;
        break;
      case platform::ResourceStatus::TypeNotFound:
        selection.error = BatchError::ErrNoUifiles;
        return selection;
      case platform::ResourceStatus::Failed:
        selection.error = BatchError::ErrEnumFailed;
        return selection;
    }
    selection.items.push_back(std::move(item));
  }
  return selection;
}

void AnnounceResource(const std::wstring& name) {
  WriteText(fmt::format(L"\tUIFILE {} | ", name));
}

}  // namespace

pe::NameKey ResourceNameFromText(std::wstring_view text) {
  const std::int32_t value = ReadDecimal(text);
  if (value >= 1 && value <= 65535) return pe::KeyFromId(static_cast<std::uint16_t>(value));
  return pe::KeyFromTyped(text);
}

BatchOutcome RunSysBatch(const CommandArgs& args) {
  if (args.items.empty()) return {BatchError::ErrNoIds};
  if (platform::PathExists(args.systemFile)) return {BatchError::ErrSysFileMissing};
  // Owned here from loading to the return: released on every path, after the
  // last item whose bytes live inside it.
  const std::unique_ptr<platform::ResourceModule> module =
      platform::ResourceModule::Load(args.systemFile);
  if (!module) return {BatchError::ErrSysFileLoad};

  const bool allMode = args.items.size() == 1 && args.items.front() == L"*";
  const Selection selection = allMode ? SelectAll(*module) : SelectListed(*module, args.items);
  if (selection.error != BatchError::ErrNone) return {selection.error};
  if (selection.items.empty()) return {BatchError::ErrNoUifiles};
  static const ConvertWork convert;
  return ConvertItems(selection.items, args.destFolder,
                      fmt::format(L"Extracting {} UIFILE(s) from \"{}\" and converting to XML text",
                                  selection.items.size(), args.systemFile),
                      AnnounceResource, BatchWork{convert, ResultText});
}

}  // namespace tamro
