#include "io/item_pipeline.h"

#include <new>

#include "io/output_file.h"
#include "platform/platform.h"

namespace tamro {

ItemResult RunItem(const ItemSource& source, Destination& destination, const ItemWork& work,
                   AnnounceItem announce) {
  ItemResult item;
  ItemStep step = ItemStep::Acquire;
  try {
    item.name = source.name;
    announce(item.name);
    item.code = source.selected;
    if (item.code != ItemCode::ResultOk) return item;

    step = ItemStep::Write;
    const std::wstring wanted = work.OutputName(source);
    const std::wstring name = destination.written.Choose(wanted, work.OutputExtension());
    const std::wstring path = destination.folder + name;
    if (source.IsFile() && platform::SameFile(source.path, path)) {
      item.code = ItemCode::ResultReplacesSource;
      return item;
    }
    // The output streams into a temporary file while the work runs; it is put in
    // place only for work that succeeded, with or without warnings.
    OutputFileSink output(path);
    step = ItemStep::Acquire;
    work.Run(source, item, output, step);
    if (item.code == ItemCode::ResultOk || item.code == ItemCode::ResultWarnings) {
      step = ItemStep::Write;
      if (output.Commit() != ItemCode::ResultOk) {
        item.code = ItemCode::ResultCreateFailed;
      } else {
        destination.written.Add(name);
        if (name != wanted) item.writtenAs = name;
      }
    }
  } catch (const std::bad_alloc&) {
    work.OutOfMemory(step, source, item);
  }
  return item;
}

}  // namespace tamro
