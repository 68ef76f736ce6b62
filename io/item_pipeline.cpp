#include "io/item_pipeline.h"

#include <new>
#include <vector>

#include "engine/convert_blob.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "io/source_bytes.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// Where an item is when memory runs out decides the code it gets.
enum class Step { Acquire, Convert, Write };

// A file is read into `buffer`; a resource's bytes stay inside its module.
ItemCode Acquire(const ItemSource& source, std::vector<std::uint8_t>& buffer,
                 const std::uint8_t*& data, std::uint32_t& size) {
  if (!source.IsFile()) return LoadResourceBytes(*source.module, source.resource, data, size);
  const ItemCode code = ReadSourceFile(source.path, buffer);
  data = buffer.data();
  size = static_cast<std::uint32_t>(buffer.size());  // files of 2 GiB or more fail to read
  return code;
}

// The name comes from the file system or from the module, not from us:
// SafeFileName keeps the output inside the destination folder whatever it holds.
std::wstring OutputName(const ItemSource& source) {
  return SafeFileName(source.IsFile() ? RenameExtension(source.name, kOutputExtension)
                                      : source.name + std::wstring(kOutputExtension));
}

ItemCode OutOfMemoryCode(Step step, const ItemSource& source) {
  switch (step) {
    case Step::Acquire:
      return source.IsFile() ? ItemCode::ResultOpenFailed : ItemCode::ResultLoadFailed;
    case Step::Convert:
      return ItemCode::ResultConvertFailed;
    case Step::Write:
      break;
  }
  return ItemCode::ResultCreateFailed;
}

}  // namespace

void ConvertItem(ItemResult& result, const std::uint8_t* blob, std::uint32_t size,
                 OutputSink& sink) {
  const ConvertResult converted = ConvertBlob(blob, size, platform::EncodeOutputString, sink);
  result.status = converted.status;
  if (converted.status == ConvertStatus::Warnings) {
    result.code = ItemCode::ResultWarnings;
    result.unknownCount = converted.unknownCount;
    result.residFailed = converted.residFailed;
  } else if (converted.status != ConvertStatus::Ok) {
    result.code = ItemCode::ResultConvertFailed;
  }
}

ItemResult RunItem(const ItemSource& source, Destination& destination, AnnounceItem announce) {
  ItemResult item;
  Step step = Step::Acquire;
  try {
    item.name = source.name;
    announce(item.name);
    item.code = source.selected;
    std::vector<std::uint8_t> buffer;  // a file's bytes, until its output is complete
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    if (item.code == ItemCode::ResultOk) item.code = Acquire(source, buffer, data, size);
    if (item.code != ItemCode::ResultOk) return item;

    step = Step::Write;
    const std::wstring wanted = OutputName(source);
    const std::wstring name = destination.written.Choose(wanted, kOutputExtension);
    OutputFileSink output(destination.folder + name);
    step = Step::Convert;
    // The output streams into a temporary file while the conversion runs; it is
    // put in place only for a conversion that succeeded, with or without warnings,
    // so a failed conversion is code 3 even where no file could be created.
    ConvertItem(item, data, size, output);
    if (item.code == ItemCode::ResultOk || item.code == ItemCode::ResultWarnings) {
      step = Step::Write;
      if (output.Commit() != ItemCode::ResultOk) {
        item.code = ItemCode::ResultCreateFailed;
      } else {
        destination.written.Add(name);
        if (name != wanted) item.writtenAs = name;
      }
    }
  } catch (const std::bad_alloc&) {
    item.code = OutOfMemoryCode(step, source);
    if (step == Step::Convert) item.status = ConvertStatus::TooLarge;
  }
  return item;
}

}  // namespace tamro
