#include "io/convert_work.h"

#include <memory>

#include "engine/convert_blob.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "io/source_bytes.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// A file is held in `file` until its output is complete; a resource's bytes stay
// inside its module.
ItemCode Acquire(const ItemSource& source, std::unique_ptr<platform::WholeFile>& file,
                 const std::uint8_t*& data, std::uint32_t& size) {
  if (!source.IsFile()) return LoadResourceBytes(*source.module, source.resource, data, size);
  const ItemCode code = ReadSourceFile(source.path, file);
  if (file) {
    data = file->Bytes().data();
    size = file->Bytes().size();
  }
  return code;
}

// The bytes could not all be read while they were converted (a mapped file whose
// pages went away): they read as zeros, so what was made of them is discarded.
ItemCode AcquiredBytesLost(const ItemSource& source, const platform::WholeFile* file) {
  const bool lost = source.IsFile() ? file != nullptr && file->Lost() : source.module->Lost();
  if (!lost) return ItemCode::ResultOk;
  return source.IsFile() ? ItemCode::ResultOpenFailed : ItemCode::ResultLoadFailed;
}

}  // namespace

// The name comes from the file system or from the module, not from us:
// SafeFileName keeps the output inside the destination folder whatever it holds.
std::wstring ConvertWork::OutputName(const ItemSource& source) const {
  return SafeFileName(source.IsFile() ? RenameExtension(source.name, kOutputExtension)
                                      : source.name + std::wstring(kOutputExtension));
}

// A failed conversion is ResultConvertFailed even where no output file could be
// created: the file is made only when the first bytes come.
void ConvertWork::Run(const ItemSource& source, ItemResult& result, OutputSink& output,
                      ItemStep& step) const {
  std::unique_ptr<platform::WholeFile> file;
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  result.code = Acquire(source, file, data, size);
  if (result.code != ItemCode::ResultOk) return;
  step = ItemStep::Transform;
  ConvertItem(result, data, size, output);
  if (const ItemCode lost = AcquiredBytesLost(source, file.get()); lost != ItemCode::ResultOk) {
    result.code = lost;
  }
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
