#include "frontend/messages.h"

#include <fmt/xchar.h>

#include "frontend/console.h"

namespace tamro {

// User text (names, paths) only ever fills a placeholder; it is never a format.
std::wstring ResultText(const ItemResult& result) {
  switch (result.code) {
    case ResultOk:
      return L"OK";
    case ResultOpenFailed:
      return L"Error: unable to open source file";
    case ResultNotDuib:
      return L"Skipped: not in DUIB format";
    case ResultConvertFailed:
      return fmt::format(L"Error: DUIB conversion failed (0x{:04X})", result.status);
    case ResultWarnings: {
      std::wstring text = L"Warning: ";
      if (result.residFailed) text += L"ResID check failed";
      if (result.residFailed && result.unknownCount != 0) text += L", ";
      if (result.unknownCount != 0) {
        text += fmt::format(L"{} unknown XML tags found", result.unknownCount);
      }
      return text;
    }
    case ResultCreateFailed:
      return L"Error: failed to create output XML file";
    case ResultIdNotFound:
    case ResultNotFound:
      return L"Error: resource not found";
    case ResultLoadFailed:
      return L"Error: failed to load resource";
    default:
      // No other code is ever set; should one appear, it is shown, not hidden.
      return fmt::format(L"Error: unexpected result code {}", result.code);
  }
}

std::wstring BatchErrorText(BatchError code, const CommandArgs& args) {
  switch (code) {
    case ErrDestFolder:
      return fmt::format(L"Unable to create destination folder \"{}\"", args.destFolder);
    case ErrSourceFolder:
      return fmt::format(L"Source folder \"{}\" not found", args.sourceFolder);
    case ErrNoMatchingFiles:
      return fmt::format(L"No matching files ({}) found in source folder \"{}\"", args.fileMask,
                         args.sourceFolder);
    case ErrNoIds:
      return L"No UIFILEs specified on command line";
    case ErrSysFileMissing:
      return fmt::format(L"System file \"{}\" not found", args.systemFile);
    case ErrSysFileLoad:
      return fmt::format(L"Failed to load system file \"{}\"", args.systemFile);
    case ErrNoUifiles:
      return fmt::format(L"No UIFILE resources found in system file \"{}\"", args.systemFile);
    case ErrEnumFailed:
      return fmt::format(L"Failed to enumerate UIFILE resources in system file \"{}\"",
                         args.systemFile);
    default:
      return fmt::format(L"Unexpected batch error (0x{:04X})", code);
  }
}

bool ReportItem(const ItemResult& result) {
  const std::wstring text = ResultText(result);
  if (result.code == ResultOk) {
    PrintLine(text);
    return true;
  }
  PrintErrorLine(text);
  return false;
}

}  // namespace tamro
