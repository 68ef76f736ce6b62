#include "duib/blob_check.h"

#include "duib/blob_view.h"
#include "duib/name_dictionary.h"

namespace tamro::duib {
namespace {

// Names only: a built-in word the table has, or a string that has units.
class NameChecker {
 public:
  explicit NameChecker(const BlobView& blob) : blob_(blob) {}

  void ElementStart(std::uint32_t, std::int32_t) {}
  bool ElementName(std::uint16_t id) const { return Known(id); }
  bool AttributeName(std::uint16_t id) const { return Known(id); }
  bool AttributeValue(std::uint16_t id) const { return Known(id); }
  void TagEnd(std::uint32_t) {}
  void StreamEndsInAttributes() {}
  void Finish() {}
  bool Stopped() const { return false; }

 private:
  bool Known(std::uint16_t id) const {
    if (IsBuiltin(id)) return !WordOf(id).empty();
    return id < blob_.StringCount() && !blob_.StringEmpty(blob_.StringStart(id));
  }

  const BlobView& blob_;
};

}  // namespace

WalkResult CheckBlob(const std::uint8_t* blob, std::uint32_t size) {
  BlobView view;
  WalkResult result;
  result.status = view.Read(blob, size);
  if (result.status != ConvertStatus::Ok) return result;
  NameChecker checker(view);
  return Walk(view, checker);
}

}  // namespace tamro::duib
