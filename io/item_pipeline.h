// The one path every item takes, in both programs and every batch: announce it,
// name its output, run the program's work on it (acquire its bytes, classify
// them, convert or compile them into the output), put the output in place and
// hand back the result to report.
#pragma once

#include <string>
#include <string_view>

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

// Where an item is: when memory runs out, the step decides the item's code.
enum class ItemStep { Acquire, Transform, Write };

// What one program makes of an item: tamro converts a blob into text,
// tamro-compile compiles a text into a blob.
class ItemWork {
 public:
  // The extension of every output, which a name of its own keeps at its end.
  virtual std::wstring_view OutputExtension() const = 0;
  // The output's name for `source`, safe as one file name, before the batch's
  // names are looked at.
  virtual std::wstring OutputName(const ItemSource& source) const = 0;
  // Gets the item's bytes and makes its output in `output`, setting `step` as it
  // goes. Leaves `result.code` at ResultOk (or sets ResultWarnings) when `output`
  // holds what is to be put in place; any other code writes nothing.
  virtual void Run(const ItemSource& source, ItemResult& result, OutputSink& output,
                   ItemStep& step) const = 0;
  // The outcome of an item whose memory ran out at `step`.
  virtual void OutOfMemory(ItemStep step, const ItemSource& source, ItemResult& result) const = 0;

 protected:
  ~ItemWork() = default;
};

// Called with the item's name before anything else is done for it.
using AnnounceItem = void (*)(const std::wstring& name);

// The whole of one item. Writes the output under its name in the destination
// when the work succeeds, with or without warnings; under "<stem>~2<extension>"
// (or the next free counter) when an earlier item of the batch wrote that name
// already; never over the item's own source file. This is the item boundary: lack
// of memory fails this item, and never reaches the batch.
ItemResult RunItem(const ItemSource& source, Destination& destination, const ItemWork& work,
                   AnnounceItem announce);

}  // namespace tamro
