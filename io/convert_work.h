// tamro's work on an item: a DUIB blob, from a file or a module's resource,
// converted into the bytes of its ".tamro.txt" file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/output_sink.h"
#include "io/item_pipeline.h"

namespace tamro {

inline constexpr std::wstring_view kOutputExtension = L".tamro.txt";

class ConvertWork final : public ItemWork {
 public:
  std::wstring_view OutputExtension() const override { return kOutputExtension; }
  // A file's name with its last extension replaced, a resource's name with the
  // extension appended.
  std::wstring OutputName(const ItemSource& source) const override;
  void Run(const ItemSource& source, ItemResult& result, OutputSink& output,
           ItemStep& step) const override;
  void OutOfMemory(ItemStep step, const ItemSource& source, ItemResult& result) const override;
};

// Runs one conversion of the blob into `sink`, in the output files' encoding,
// and records its outcome in `result`: `status` always; `code` ResultWarnings
// with the warning details for ConvertStatus::Warnings, ResultConvertFailed for
// any other failure; `code` untouched on success.
void ConvertItem(ItemResult& result, const std::uint8_t* blob, std::uint32_t size,
                 OutputSink& sink);

}  // namespace tamro
