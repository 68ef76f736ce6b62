#include "frontend/sys_batch.h"

#include <fmt/xchar.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "frontend/console.h"
#include "frontend/item_loop.h"
#include "platform/platform.h"

namespace tamro {
namespace {

constexpr std::wstring_view kUifileType = L"UIFILE";

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
std::wstring NameText(const platform::ResourceName& name) {
  return name.IsId() ? fmt::format(L"{}", name.id) : name.text;
}

// The resources to convert, or the batch error that stops the batch.
struct Selection {
  BatchError error = ErrNone;
  std::vector<ItemSource> items;
};

ItemSource Resource(const platform::ResourceModule& module, std::wstring name,
                    platform::ResourceName lookup) {
  ItemSource item;
  item.name = std::move(name);
  item.module = &module;
  item.resource = std::move(lookup);
  return item;
}

// "*" mode: every UIFILE of the module, each under the identity the enumeration
// gave it, so a string name such as "25X" is never taken for the id 25.
Selection SelectAll(const platform::ResourceModule& module) {
  Selection selection;
  std::vector<platform::ResourceName> names;
  const std::uint32_t status = module.EnumNames(kUifileType, names);
  if (status != 0) {
    selection.error = status == platform::kErrorResourceTypeNotFound ? ErrNoUifiles : ErrEnumFailed;
    return selection;
  }
  selection.items.reserve(names.size());
  for (platform::ResourceName& name : names) {
    std::wstring text = NameText(name);
    selection.items.push_back(Resource(module, std::move(text), std::move(name)));
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
    const std::uint32_t status = module.CheckName(kUifileType, item.resource);
    if (status == platform::kErrorResourceNameNotFound) {
      item.selected = ResultIdNotFound;
    } else if (status == platform::kErrorResourceTypeNotFound) {
      selection.error = ErrNoUifiles;
      return selection;
    } else if (status != 0) {
      selection.error = ErrEnumFailed;
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

platform::ResourceName ResourceNameFromText(std::wstring_view text) {
  const std::int32_t value = ReadDecimal(text);
  if (value >= 1 && value <= 65535) {
    return platform::ResourceName::FromId(static_cast<std::uint16_t>(value));
  }
  return platform::ResourceName::FromText(std::wstring(text));
}

BatchOutcome RunSysBatch(const CommandArgs& args) {
  if (args.items.empty()) return {ErrNoIds};
  if (platform::PathExists(args.systemFile) != 0) return {ErrSysFileMissing};
  // Owned here from loading to the return: released on every path, after the
  // last item whose bytes live inside it.
  const std::unique_ptr<platform::ResourceModule> module =
      platform::ResourceModule::Load(args.systemFile);
  if (!module) return {ErrSysFileLoad};

  const bool allMode = args.items.size() == 1 && args.items.front() == L"*";
  const Selection selection = allMode ? SelectAll(*module) : SelectListed(*module, args.items);
  if (selection.error != ErrNone) return {selection.error};
  if (selection.items.empty()) return {ErrNoUifiles};
  return ConvertItems(selection.items, args.destFolder,
                      fmt::format(L"Extracting {} UIFILE(s) from \"{}\" and converting to XML text",
                                  selection.items.size(), args.systemFile),
                      AnnounceResource);
}

}  // namespace tamro
