#include "frontend/sys_batch.h"

#include <fmt/xchar.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/convert_item.h"
#include "frontend/console.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "io/source_bytes.h"

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

// The items to convert and, in parallel, the name under which each is looked up.
struct Selection {
  BatchError error = ErrNone;
  std::vector<platform::ResourceName> lookup;
};

// "*" mode: every UIFILE of the module, each under the identity the enumeration
// gave it, so a string name such as "25X" is never taken for the id 25.
Selection SelectAll(const platform::ResourceModule& module, std::vector<ItemResult>& items) {
  Selection selection;
  items.clear();
  const std::uint32_t status = module.EnumNames(kUifileType, selection.lookup);
  if (status != 0) {
    selection.error = status == platform::kErrorResourceTypeNotFound ? ErrNoUifiles : ErrEnumFailed;
    selection.lookup.clear();
    return selection;
  }
  items.reserve(selection.lookup.size());
  for (const platform::ResourceName& name : selection.lookup) {
    ItemResult item;
    item.name = NameText(name);
    items.push_back(std::move(item));
  }
  return selection;
}

// List mode: each typed id is looked up by the name its text stands for; a name
// that does not exist is marked and stays in the list.
Selection SelectListed(const platform::ResourceModule& module, std::vector<ItemResult>& items) {
  Selection selection;
  selection.lookup.reserve(items.size());
  for (ItemResult& item : items) {
    platform::ResourceName name = ResourceNameFromText(item.name);
    const std::uint32_t status = module.CheckName(kUifileType, name);
    if (status == platform::kErrorResourceNameNotFound) {
      item.code = ResultIdNotFound;
    } else if (status == platform::kErrorResourceTypeNotFound) {
      selection.error = ErrNoUifiles;
      return selection;
    } else if (status != 0) {
      selection.error = ErrEnumFailed;
      return selection;
    }
    selection.lookup.push_back(std::move(name));
  }
  return selection;
}

// One resource: load, convert, write, report. Works on a copy of the list entry.
bool ConvertResource(const platform::ResourceModule& module, ItemResult item,
                     const platform::ResourceName& lookup, const std::wstring& destFolder) {
  bool writing = false;
  try {
    WriteText(fmt::format(L"\tUIFILE {} | ", item.name));
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    if (item.code == ResultOk) item.code = LoadResourceBytes(module, lookup, data, size);
    std::wstring text;
    if (item.code == ResultOk) ConvertItem(item, data, size, text);
    if (item.code == ResultOk || item.code == ResultWarnings) {
      writing = true;
      // A resource name is the module's text, not ours: SafeFileName keeps the
      // output inside destFolder ("..\\..\\EVIL", "C:EVIL" and the like).
      const std::wstring outputPath =
          destFolder + SafeFileName(item.name) + std::wstring(kOutputExtension);
      if (WriteOutputFile(outputPath, text) != ResultOk) item.code = ResultCreateFailed;
    }
  } catch (const std::bad_alloc&) {
    // Lack of memory fails this item only; the batch goes on.
    item.code = writing ? ResultCreateFailed : ResultLoadFailed;
  }
  return ReportItem(item);
}

}  // namespace

platform::ResourceName ResourceNameFromText(std::wstring_view text) {
  const std::int32_t value = ReadDecimal(text);
  if (value >= 1 && value <= 65535) {
    return platform::ResourceName::FromId(static_cast<std::uint16_t>(value));
  }
  return platform::ResourceName::FromText(std::wstring(text));
}

BatchOutcome RunSysBatch(CommandArgs& args) {
  BatchOutcome outcome;
  if (args.items.empty()) {
    outcome.error = ErrNoIds;
    return outcome;
  }
  if (PathExists(args.systemFile) != 0) {
    outcome.error = ErrSysFileMissing;
    return outcome;
  }
  // Owned here from loading to the return: released on every path.
  const std::unique_ptr<platform::ResourceModule> module =
      platform::ResourceModule::Load(args.systemFile);
  if (!module) {
    outcome.error = ErrSysFileLoad;
    return outcome;
  }

  const bool allMode = args.items.size() == 1 && args.items.front().name == L"*";
  const Selection selection =
      allMode ? SelectAll(*module, args.items) : SelectListed(*module, args.items);
  if (selection.error != ErrNone) {
    outcome.error = selection.error;
    return outcome;
  }
  outcome.total = static_cast<std::int32_t>(args.items.size());
  if (outcome.total == 0) {
    outcome.error = ErrNoUifiles;
    return outcome;
  }
  EnsureFolder(args.destFolder);  // only the existence test below decides
  if (PathExists(args.destFolder) != 0) {
    outcome.error = ErrDestFolder;
    return outcome;
  }

  PrintLine(fmt::format(L"Extracting {} UIFILE(s) from \"{}\" and converting to XML text",
                        args.items.size(), args.systemFile));
  PrintLine(L"");
  for (std::size_t i = 0; i < args.items.size(); ++i) {
    if (ConvertResource(*module, args.items[i], selection.lookup[i], args.destFolder)) {
      ++outcome.converted;
    }
  }
  return outcome;
}

}  // namespace tamro
