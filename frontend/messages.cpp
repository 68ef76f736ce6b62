#include "frontend/messages.h"

#include <fmt/xchar.h>

#include "frontend/console.h"

namespace tamro {

namespace {

struct FixedText {
  ItemCode code;
  std::wstring_view text;
};

// The results whose text never changes.
constexpr FixedText kFixedTexts[] = {
    {ItemCode::ResultOk, L"OK"},
    {ItemCode::ResultOpenFailed, L"Error: unable to open source file"},
    {ItemCode::ResultNotDuib, L"Skipped: not in DUIB format"},
    {ItemCode::ResultCreateFailed, L"Error: failed to create output XML file"},
    {ItemCode::ResultIdNotFound, L"Error: resource not found"},
    {ItemCode::ResultNotFound, L"Error: resource not found"},
    {ItemCode::ResultLoadFailed, L"Error: failed to load resource"},
    {ItemCode::ResultReplacesSource, L"Error: the output would replace the source file"},
};

}  // namespace

// User text (names, paths) only ever fills a placeholder; it is never a format.
std::wstring ResultText(const ItemResult& result) {
  switch (result.code) {
    case ItemCode::ResultConvertFailed:
      return fmt::format(L"Error: DUIB conversion failed (0x{:04X})",
                         static_cast<std::uint32_t>(result.status));
    case ItemCode::ResultWarnings: {
      std::wstring text = L"Warning: ";
      if (result.residFailed) text += L"ResID check failed";
      if (result.residFailed && result.unknownCount != 0) text += L", ";
      if (result.unknownCount != 0) {
        text += fmt::format(L"{} unknown XML tags found", result.unknownCount);
      }
      return text;
    }
    default:
      for (const FixedText& fixed : kFixedTexts) {
        if (fixed.code == result.code) return std::wstring(fixed.text);
      }
      // No other code is ever set; should one appear, it is shown, not hidden.
      return fmt::format(L"Error: unexpected result code {}",
                         static_cast<std::int32_t>(result.code));
  }
}

std::wstring BatchErrorText(BatchError code, const CommandArgs& args) {
  switch (code) {
    case BatchError::ErrDestFolder:
      return fmt::format(L"Unable to create destination folder \"{}\"", args.destFolder);
    case BatchError::ErrSourceFolder:
      return fmt::format(L"Source folder \"{}\" not found", args.sourceFolder);
    case BatchError::ErrNoMatchingFiles:
      return fmt::format(L"No matching files ({}) found in source folder \"{}\"", args.fileMask,
                         args.sourceFolder);
    case BatchError::ErrNoIds:
      return L"No UIFILEs specified on command line";
    case BatchError::ErrSysFileMissing:
      return fmt::format(L"System file \"{}\" not found", args.systemFile);
    case BatchError::ErrSysFileLoad:
      return fmt::format(L"Failed to load system file \"{}\"", args.systemFile);
    case BatchError::ErrNoUifiles:
      return fmt::format(L"No UIFILE resources found in system file \"{}\"", args.systemFile);
    case BatchError::ErrEnumFailed:
      return fmt::format(L"Failed to enumerate UIFILE resources in system file \"{}\"",
                         args.systemFile);
    case BatchError::ErrSearchFailed:
      return fmt::format(L"Failed to search source folder \"{}\"", args.sourceFolder);
    default:
      return fmt::format(L"Unexpected batch error (0x{:04X})", static_cast<std::uint32_t>(code));
  }
}

bool ReportItem(const ItemResult& result, ResultTextFunction resultText) {
  std::wstring text = resultText(result);
  if (!result.writtenAs.empty()) text += fmt::format(L" (written as \"{}\")", result.writtenAs);
  if (result.code == ItemCode::ResultOk) {
    PrintLine(text);
    return true;
  }
  PrintErrorLine(text);
  return false;
}

}  // namespace tamro
