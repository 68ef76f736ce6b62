#include "frontend/compile_messages.h"

#include <fmt/xchar.h>

#include <cstdint>

#include "frontend/messages.h"

namespace tamro {
namespace {

constexpr std::wstring_view kUsage[] = {
    L"USAGE:",
    L"",
    L"   tamro-compile textfile [destfolder]",
    L"",
    L"Run \"tamro-compile --help\" for more.",
};

constexpr std::wstring_view kHelp[] = {
    L"Compiles the XML text that tamro writes, edited or not, back into binary",
    L"UIFILE resources (DUIB format). It never changes its source files.",
    L"",
    L"USAGE:",
    L"",
    L"   tamro-compile textfile [destfolder]",
    L"   tamro-compile --help | --version",
    L"",
    L"   textfile\tText file(s) to compile (e.g. 40960.tamro.txt), specify multiple",
    L"   \t\tfiles using wildcards (* and ?). Path can be omitted if the files",
    L"   \t\tare in the same folder as the tamro-compile program; use quotes if",
    L"   \t\tit contains spaces, can include environment variables.",
    L"",
    L"   destfolder\tOptional. Destination folder for the compiled files; if omitted,",
    L"   \t\tthey are saved in the same folder as the text files.",
    L"",
    L"Each output is named after its text file without its .tamro.txt (or its last",
    L"extension), with the extension .duib: 40960.tamro.txt gives 40960.duib. Put",
    L"it back into a module as a UIFILE resource with a resource editor.",
    L"",
    L"The exit status is 0 when every file compiled, 1 when any did not, and 2 for",
    L"a command line that is not accepted.",
};

}  // namespace

std::wstring CompileResultText(const ItemResult& result) {
  switch (result.code) {
    case ItemCode::ResultNotText:
      return L"Skipped: not a text file";
    case ItemCode::ResultCompileFailed: {
      const std::wstring message(result.message.begin(), result.message.end());  // ASCII
      if (result.line == 0) return fmt::format(L"Error: {}", message);
      return fmt::format(L"Error: line {}, column {}: {}", result.line, result.column, message);
    }
    case ItemCode::ResultCheckFailed:
      return fmt::format(
          L"Error: internal error: the compiled blob reads back with status 0x{:04X}",
          static_cast<std::uint32_t>(result.status));
    case ItemCode::ResultCreateFailed:
      return L"Error: failed to create output DUIB file";
    default:
      return ResultText(result);  // the texts that both programs share
  }
}

std::span<const std::wstring_view> CompileUsageLines() {
  return kUsage;
}

std::span<const std::wstring_view> CompileHelpLines() {
  return kHelp;
}

}  // namespace tamro
