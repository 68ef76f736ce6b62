#include "frontend/entry.h"

#include <fmt/xchar.h>

#include "frontend/command_args.h"
#include "frontend/console.h"
#include "frontend/file_batch.h"
#include "frontend/messages.h"
#include "frontend/report.h"
#include "frontend/sys_batch.h"
#include "frontend/usage.h"

namespace tamro {
namespace {

std::wstring Summary(std::int32_t converted, std::int32_t total) {
  return fmt::format(L"{} of {} UIFILE(s) successfully converted to XML text", converted, total);
}

}  // namespace

int RunTamro(int argc, const wchar_t* const* argv) {
  PrintBanner(L"Convert binary UIFILE resources to XML text format");
  CommandArgs args;
  if (argc < 2 || !ParseCommandLine(argc, argv, args)) {
    PrintUsage();
    return 0;
  }
  const BatchOutcome outcome = args.fileMode ? RunFileBatch(args) : RunSysBatch(args);
  PrintFinalReport(outcome, args, Summary);
  return 0;
}

}  // namespace tamro
