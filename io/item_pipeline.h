// The one path every item takes, in both batches: acquire its bytes, classify
// them, convert, name the output, write it, and hand back the result to report.
#pragma once

#include <cstdint>
#include <string>

#include "engine/output_sink.h"
#include "io/item_result.h"
#include "io/output_names.h"
#include "platform/resource_module.h"

namespace tamro {

// One item as a batch selected it: a source file, or a UIFILE resource of a
// module that the batch keeps loaded while its items run.
struct ItemSource {
  std::wstring name;  // shown on the console; the base of the output name
  std::wstring path;  // a source file: its full path
  const platform::ResourceModule* module = nullptr;  // a resource: the module holding it
  pe::NameKey resource;                              // a resource: the key it is found by
  ItemCode selected = ItemCode::ResultOk;  // ResultIdNotFound: a listed name the module lacks

  bool IsFile() const { return module == nullptr; }
};

// Where a batch's outputs go: the folder, and the names that its items have
// written there, which no later item of the batch replaces.
struct Destination {
  std::wstring folder;  // ends with a separator
  OutputNames written;
};

// Called with the item's name before anything else is done for it.
using AnnounceItem = void (*)(const std::wstring& name);

// Runs one conversion of the blob into `sink`, in the output files' encoding,
// and records its outcome in `result`: `status` always; `code` ResultWarnings
// with the warning details for ConvertStatus::Warnings, ResultConvertFailed for
// any other failure; `code` untouched on success.
void ConvertItem(ItemResult& result, const std::uint8_t* blob, std::uint32_t size,
                 OutputSink& sink);

// The whole of one item. Writes "<name>.tamro.txt" (a file's last extension
// replaced) into the destination when the item converts, with or without
// warnings; under "<name>~2.tamro.txt" (or the next free counter) when an earlier
// item of the batch wrote that name already. This is the item boundary: lack of
// memory fails this item with the code of the step it hit, and never reaches the
// batch.
ItemResult RunItem(const ItemSource& source, Destination& destination, AnnounceItem announce);

}  // namespace tamro
