#include <algorithm>

#include "duib/walk.h"

namespace tamro::duib {

void ResidCheck::Check(const BlobView& blob, std::uint32_t elementIndex, std::uint16_t valueId) {
  if (!indexed_) Index(blob);
  if (elementIndex >= firstEntry_.size() || firstEntry_[elementIndex] == 0) return;
  if (blob.Resid(firstEntry_[elementIndex] - 1).valueId != valueId) failed_ = true;
  ++matches_;
}

// Only indexes below both the number of stream items (an element index never
// reaches it) and the highest index in the table need a slot.
void ResidCheck::Index(const BlobView& blob) {
  indexed_ = true;
  std::uint32_t slots = 0;
  for (std::uint32_t i = 0; i < blob.ResidCount(); ++i) {
    const std::uint32_t element = blob.Resid(i).elementIndex;
    if (element < blob.ItemCount()) slots = std::max(slots, element + 1);
  }
  firstEntry_.assign(slots, 0);
  for (std::uint32_t i = 0; i < blob.ResidCount(); ++i) {
    const std::uint32_t element = blob.Resid(i).elementIndex;
    if (element < slots && firstEntry_[element] == 0) firstEntry_[element] = i + 1;
  }
}

}  // namespace tamro::duib
