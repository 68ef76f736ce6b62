#include "frontend/entry.h"

#include <fmt/xchar.h>

#include "frontend/command_args.h"
#include "frontend/console.h"
#include "frontend/file_batch.h"
#include "frontend/messages.h"
#include "frontend/sys_batch.h"
#include "frontend/usage.h"
#include "io/paths.h"

namespace tamro {
namespace {

void PrintBanner() {
  PrintLine(L"");
  PrintLine(L"");
  PrintLine(L"Convert binary UIFILE resources to XML text format");
  PrintLine(L"");
}

void PrintFinalReport(const BatchOutcome& outcome, const CommandArgs& args) {
  PrintLine(L"");
  if (outcome.error == BatchError::ErrNone) {
    PrintLine(fmt::format(L"{} of {} UIFILE(s) successfully converted to XML text",
                          outcome.converted, outcome.total));
    PrintLine(L"");
    PrintLine(fmt::format(L"Output folder: \"{}\"", RemoveBackslash(args.destFolder)));
    PrintLine(L"");
    return;
  }
  PrintErrorLabel(L"ERROR: ");
  PrintLine(BatchErrorText(outcome.error, args));
  PrintLine(L"");
}

}  // namespace

int RunTamro(int argc, const wchar_t* const* argv) {
  PrintBanner();
  CommandArgs args;
  if (argc < 2 || !ParseCommandLine(argc, argv, args)) {
    PrintUsage();
    return 0;
  }
  const BatchOutcome outcome = args.fileMode ? RunFileBatch(args) : RunSysBatch(args);
  PrintFinalReport(outcome, args);
  return 0;
}

}  // namespace tamro
