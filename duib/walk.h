// The one walk over a blob's item stream that every reader shares: which items
// are element items and which their attributes, the depth, each element's
// index, the stylesheets scope that turns the resid cross-check off, the
// cross-check itself and the final status. What is made of each item is the
// visitor's: the renderer writes text, the checker only looks.
//
// The visitor V provides, all called in stream order:
//   void ElementStart(std::uint32_t type, std::int32_t depth)  depth: the indentation
//   bool ElementName(std::uint16_t id)          false: the ID names nothing
//   bool AttributeName(std::uint16_t id)        likewise
//   bool AttributeValue(std::uint16_t id)       likewise
//   void TagEnd(std::uint32_t type)             after the name or the last attribute
//   void StreamEndsInAttributes()               the last element lacks attributes
//   void Finish()                               after the last item
//   bool Stopped()                              true ends the walk as too large
#pragma once

#include <cstdint>
#include <vector>

#include "duib/blob_view.h"
#include "duib/convert_status.h"
#include "duib/layout.h"

namespace tamro::duib {

// What a walk found besides what its visitor made.
struct WalkResult {
  ConvertStatus status = ConvertStatus::Ok;
  std::uint32_t unknownCount = 0;  // names that name nothing
  bool residFailed = false;        // the resid cross-check failed
};

// The resid cross-check: the first resid entry of each element, found through an
// index built on the first check, so each check costs O(1).
class ResidCheck {
 public:
  // Checks a resid attribute with the raw `valueId` on element `elementIndex`.
  void Check(const BlobView& blob, std::uint32_t elementIndex, std::uint16_t valueId);
  // After the walk: every entry must have been matched.
  bool Failed(const BlobView& blob) const { return failed_ || matches_ != blob.ResidCount(); }

 private:
  void Index(const BlobView& blob);

  std::vector<std::uint32_t> firstEntry_;  // per element index: entry number + 1, 0 for none
  bool indexed_ = false;
  std::uint32_t matches_ = 0;
  bool failed_ = false;
};

template <class V>
WalkResult Walk(const BlobView& blob, V& visitor) {
  WalkResult result;
  ResidCheck resid;
  std::int32_t depth = 0;
  std::uint32_t attributesRemaining = 0;
  std::uint32_t currentType = 0;
  std::uint32_t elementCount = 0;
  bool stylesheets = false;

  const std::uint32_t items = blob.ItemCount();
  for (std::uint32_t k = 0; k < items; ++k) {
    const std::uint32_t item = blob.Item(k);
    if (attributesRemaining == 0) {
      const std::uint32_t type = ItemType(item);
      const std::uint32_t attributeCount = ItemAttributeCount(item);
      const std::uint16_t name = ItemName(item);
      const bool close = type == static_cast<std::uint32_t>(ElementType::Close);
      if (close) --depth;  // a close tag lines up with its open tag
      visitor.ElementStart(type, depth);
      if (!visitor.ElementName(name)) ++result.unknownCount;
      if (name == kStylesheetsId) stylesheets = !close;
      if (attributeCount == 0) visitor.TagEnd(type);
      if (type == static_cast<std::uint32_t>(ElementType::Open)) ++depth;
      ++elementCount;
      attributesRemaining = attributeCount;
      currentType = type;
    } else {
      --attributesRemaining;
      const std::uint16_t name = AttributeName(item);
      const std::uint16_t value = AttributeValue(item);
      if (!visitor.AttributeName(name)) ++result.unknownCount;
      if (!visitor.AttributeValue(value)) ++result.unknownCount;
      if (name == kResidId && !stylesheets) resid.Check(blob, elementCount - 1, value);
      if (attributesRemaining == 0) visitor.TagEnd(currentType);
    }
    if (visitor.Stopped()) {
      result.status = ConvertStatus::TooLarge;
      return result;
    }
  }
  if (attributesRemaining > 0) visitor.StreamEndsInAttributes();
  visitor.Finish();
  if (visitor.Stopped()) {
    result.status = ConvertStatus::TooLarge;
  } else if (elementCount != blob.DeclaredElementCount()) {
    result.status = ConvertStatus::ElementCount;
  } else {
    result.residFailed = resid.Failed(blob);
    const bool warnings = result.unknownCount > 0 || result.residFailed;
    result.status = warnings ? ConvertStatus::Warnings : ConvertStatus::Ok;
  }
  return result;
}

}  // namespace tamro::duib
