// Forwarding header for branches that still include it: use tests/support/temp_folder.h.
#pragma once
#include "tests/support/temp_folder.h"
namespace tamro::test {
using TestFolder = TempFolder;
}
