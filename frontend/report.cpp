#include "frontend/report.h"

#include <fmt/xchar.h>

#include "frontend/console.h"
#include "io/paths.h"

namespace tamro {

void PrintBanner(std::wstring_view title) {
  PrintLine(L"");
  PrintLine(L"");
  PrintLine(title);
  PrintLine(L"");
}

void PrintFinalReport(const BatchOutcome& outcome, const CommandArgs& args,
                      SummaryFunction summary) {
  PrintLine(L"");
  if (outcome.error == BatchError::ErrNone) {
    PrintLine(summary(outcome.converted, outcome.total));
    PrintLine(L"");
    PrintLine(fmt::format(L"Output folder: \"{}\"", RemoveBackslash(args.destFolder)));
    PrintLine(L"");
    return;
  }
  PrintErrorLabel(L"ERROR: ");
  PrintLine(BatchErrorText(outcome.error, args));
  PrintLine(L"");
}

}  // namespace tamro
