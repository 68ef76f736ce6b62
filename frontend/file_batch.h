// The -file batch: converts every file of a folder that matches the mask.
#pragma once

#include "frontend/command_args.h"
#include "frontend/messages.h"

namespace tamro {

// Checks the source folder, collects the matching files, ensures the destination
// folder, then converts and reports each file on its own line. A batch error is
// returned before anything is printed.
BatchOutcome RunFileBatch(const CommandArgs& args);

}  // namespace tamro
