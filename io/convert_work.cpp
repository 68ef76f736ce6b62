#include "io/convert_work.h"

#include <vector>

#include "engine/convert_blob.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "io/source_bytes.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// A file is read into `buffer`; a resource's bytes stay inside its module.
ItemCode Acquire(const ItemSource& source, std::vector<std::uint8_t>& buffer,
                 const std::uint8_t*& data, std::uint32_t& size) {
  if (!source.IsFile()) return LoadResourceBytes(*source.module, source.resource, data, size);
  const ItemCode code = ReadSourceFile(source.path, buffer);
  data = buffer.data();
  size = static_cast<std::uint32_t>(buffer.size());  // files of 2 GiB or more fail to read
  return code;
}

}  // namespace

// The name comes from the file system or from the module, not from us:
// SafeFileName keeps the output inside the destination folder whatever it holds.
std::wstring ConvertWork::OutputName(const ItemSource& source) const {
  return SafeFileName(source.IsFile() ? RenameExtension(source.name, kOutputExtension)
                                      : source.name + std::wstring(kOutputExtension));
}

// A failed conversion is code 3 even where no output file could be created: the
// file is made only when the first bytes come.
void ConvertWork::Run(const ItemSource& source, ItemResult& result, OutputSink& output,
                      ItemStep& step) const {
  std::vector<std::uint8_t> buffer;  // a file's bytes, until its output is complete
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  result.code = Acquire(source, buffer, data, size);
  if (result.code != ItemCode::ResultOk) return;
  step = ItemStep::Transform;
  ConvertItem(result, data, size, output);
  step = ItemStep::Write;
}

void ConvertWork::OutOfMemory(ItemStep step, const ItemSource& source, ItemResult& result) const {
  switch (step) {
    case ItemStep::Acquire:
      result.code = source.IsFile() ? ItemCode::ResultOpenFailed : ItemCode::ResultLoadFailed;
      return;
    case ItemStep::Transform:
      result.code = ItemCode::ResultConvertFailed;
      result.status = ConvertStatus::TooLarge;
      return;
    case ItemStep::Write:
      break;
  }
  result.code = ItemCode::ResultCreateFailed;
}

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

}  // namespace tamro
