// What both batches do once their items are selected: make sure of the
// destination folder, print the header line, then run and report every item.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frontend/messages.h"
#include "io/item_pipeline.h"

namespace tamro {

// ErrDestFolder (nothing printed) when `destFolder` is missing after the attempt
// to create it; otherwise the header, an empty line and one line per item, and
// the counts of the items.
BatchOutcome ConvertItems(const std::vector<ItemSource>& items, const std::wstring& destFolder,
                          std::wstring_view header, AnnounceItem announce);

}  // namespace tamro
