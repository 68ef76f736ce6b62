// Getting the bytes of one item and classifying them with the DUIB signature test.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/item_result.h"
#include "platform/platform.h"
#include "platform/resource_module.h"

namespace tamro {

// Holds the whole source file at `path` in `file`. ResultOpenFailed (and `file`
// null) when it cannot be opened, measured or read in full; otherwise ResultOk or
// ResultNotDuib as the signature test decides.
ItemCode ReadSourceFile(const std::wstring& path, std::unique_ptr<platform::WholeFile>& file);

// The resource type that holds UI files: the string "UIFILE".
const pe::NameKey& UifileType();

// Locates one "UIFILE" resource of a loaded module. ResultNotFound,
// ResultLoadFailed, or ResultOk / ResultNotDuib with `data` and `size` pointing
// into the module.
ItemCode LoadResourceBytes(const platform::ResourceModule& module, const pe::NameKey& name,
                           const std::uint8_t*& data, std::uint32_t& size);

}  // namespace tamro
