// tamro-compile's work on an item: a text file compiled into the bytes of its
// ".duib" file.
#pragma once

#include <string>
#include <string_view>

#include "io/item_pipeline.h"

namespace tamro {

inline constexpr std::wstring_view kBlobExtension = L".duib";

class CompileWork final : public ItemWork {
 public:
  std::wstring_view OutputExtension() const override { return kBlobExtension; }
  // The text's name without a trailing ".tamro.txt" (in any case), or else
  // without its last extension, and ".duib": 40960.tamro.txt gives 40960.duib.
  std::wstring OutputName(const ItemSource& source) const override;
  void Run(const ItemSource& source, ItemResult& result, OutputSink& output,
           ItemStep& step) const override;
  void OutOfMemory(ItemStep step, const ItemSource& source, ItemResult& result) const override;
};

}  // namespace tamro
