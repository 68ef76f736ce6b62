#include "frontend/item_loop.h"

#include "frontend/console.h"
#include "platform/platform.h"

namespace tamro {

BatchOutcome ConvertItems(const std::vector<ItemSource>& items, const std::wstring& destFolder,
                          std::wstring_view header, AnnounceItem announce, const BatchWork& work) {
  BatchOutcome outcome;
  platform::EnsureFolder(destFolder);  // only the existence test below decides
  if (platform::PathExists(destFolder)) {
    outcome.error = BatchError::ErrDestFolder;
    return outcome;
  }
  // Settled once for all the items' console lines and output files.
  platform::BatchScope scope;
  PrintLine(header);
  PrintLine(L"");
  outcome.total = static_cast<std::int32_t>(items.size());
  Destination destination{destFolder, {}};
  for (const ItemSource& item : items) {
    const ItemResult result = RunItem(item, destination, work.work, announce);
    if (ReportItem(result, work.resultText)) ++outcome.converted;
    scope.ItemDone();
  }
  return outcome;
}

}  // namespace tamro
