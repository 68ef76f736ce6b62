// The file batch of both programs (tamro -file, tamro-compile): runs the
// program's work on every file of a folder that matches the mask.
#pragma once

#include <cstddef>
#include <string>

#include "frontend/command_args.h"
#include "frontend/item_loop.h"
#include "frontend/messages.h"

namespace tamro {

// The header line of a batch of `count` files in `folder`.
using FileHeaderFunction = std::wstring (*)(std::size_t count, const std::wstring& folder);

// Checks the source folder, collects the matching files, ensures the destination
// folder, then runs and reports each file on its own line. A batch error is
// returned before anything is printed.
BatchOutcome RunFileBatch(const CommandArgs& args, const BatchWork& work,
                          FileHeaderFunction header);

// tamro -file: converts every matching DUIB file.
BatchOutcome RunFileBatch(const CommandArgs& args);

}  // namespace tamro
