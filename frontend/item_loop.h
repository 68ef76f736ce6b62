// What every batch of both programs does once its items are selected: make sure
// of the destination folder, print the header line, then run and report every
// item.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frontend/messages.h"
#include "io/item_pipeline.h"

namespace tamro {

// What a program makes of its items, and how it words their outcomes.
struct BatchWork {
  const ItemWork& work;
  ResultTextFunction resultText;
};

// ErrDestFolder (nothing printed) when `destFolder` is missing after the attempt
// to create it; otherwise the header, an empty line and one line per item, and
// the counts of the items.
BatchOutcome ConvertItems(const std::vector<ItemSource>& items, const std::wstring& destFolder,
                          std::wstring_view header, AnnounceItem announce, const BatchWork& work);

}  // namespace tamro
