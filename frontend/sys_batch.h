// The -sys batch: converts UIFILE resources of a module loaded as a resource image.
#pragma once

#include <string_view>

#include "frontend/command_args.h"
#include "frontend/messages.h"
#include "platform/resource_module.h"

namespace tamro {

// The resource name that a typed id stands for, read as wcstol reads base 10
// (leading white space, a sign, digits up to the first non-digit, overflow clamped
// to 32 bits): 1 to 65535 is that integer identifier, anything else the text itself.
pe::NameKey ResourceNameFromText(std::wstring_view text);

// Loads `args.systemFile`, selects the resources to convert ("*" or the listed
// ids), ensures the destination folder, then converts and reports each resource.
// The module is released on every path.
BatchOutcome RunSysBatch(const CommandArgs& args);

}  // namespace tamro
