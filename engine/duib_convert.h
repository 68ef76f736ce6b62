// CDuibConvert turns one DUIB blob into the bytes of its XML text file: it reads
// the blob into a checked view (duib/blob_view.h), then walks the item stream
// (duib/walk.h) and renders one line per element item, straight into the
// output's bytes: tags are ASCII, each blob string is encoded once.
//
// Nothing of the blob is copied: the view reads items, resid entries and strings
// from the caller's bytes, which must stay valid for the whole Convert call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "duib/blob_view.h"
#include "duib/convert_status.h"
#include "duib/placeholder.h"
#include "duib/walk.h"
#include "engine/builtin_names.h"
#include "engine/output_sink.h"
#include "engine/output_writer.h"
#include "engine/padded_text.h"

namespace tamro {

// The output never grows past this many bytes; a blob that would need more fails
// with ConvertStatus::TooLarge. Real UI files render to a few MiB. Memory does not
// depend on it: the output streams out in bounded chunks.
inline constexpr std::uint64_t kMaxOutputBytes = std::uint64_t{256} << 20;

class CDuibConvert {
 public:
  explicit CDuibConvert(StringEncoder encode, std::uint64_t maxOutputBytes = kMaxOutputBytes)
      : encode_(encode), maxOutputBytes_(maxOutputBytes) {}

  // Reads the blob and renders it into `sink`, each line ending in CR LF and the
  // blob's strings encoded by `encode` with CR dropped and LF written as CR LF.
  // A failure of the reading phase returns its code before any byte is written.
  duib::WalkResult Convert(const std::uint8_t* blob, std::uint32_t size, OutputSink& sink);

  // The walk's callbacks (duib/walk.h); each appends to the output, and an
  // append that would pass the cap appends nothing and stops the walk. Inline:
  // they run for every item, and a call costs about as much as the copy they make.
  void ElementStart(std::uint32_t type, std::int32_t depth);
  [[gnu::always_inline]] bool ElementName(std::uint16_t id) {
    return AppendName(id, duib::NameKind::Element);
  }
  [[gnu::always_inline]] bool AttributeName(std::uint16_t id) {
    out_->Append(std::string_view(" "));
    return AppendName(id, duib::NameKind::Attribute);
  }
  [[gnu::always_inline]] bool AttributeValue(std::uint16_t id) {
    out_->Append(std::string_view("=\""));
    const bool known = AppendName(id, duib::NameKind::Value);
    out_->Append(std::string_view("\""));
    return known;
  }
  void TagEnd(std::uint32_t type);
  // Each attribute came with the blank before it, so the last one stays.
  void StreamEndsInAttributes() { out_->Append(std::string_view(" ")); }
  void Finish() { out_->Flush(); }
  bool Stopped() const { return out_->overflowed(); }

 private:
  // The name of `id`, or its placeholder (false) when it names nothing.
  [[gnu::always_inline]] bool AppendName(std::uint16_t id, duib::NameKind kind) {
    if (id >= 0x8000) {
      const PaddedPiece name = BuiltinName(id);
      if (!name.empty()) {
        out_->Append(name);
        return true;
      }
    } else if (id < blob_.StringCount() && AppendBlobString(id)) {
      return true;
    }
    AppendPlaceholder(id, kind);
    return false;
  }
  [[gnu::noinline]] void AppendPlaceholder(std::uint16_t id, duib::NameKind kind);

  // Blob strings (duib_strings.cpp). A string already in the pool is one copy;
  // everything else takes the way through EncodeBlobString.
  bool AppendBlobString(std::uint16_t index) {
    if (index < stringSlots_.size()) {
      const std::uint64_t slot = stringSlots_[index];
      if (slot < kEmpty) {  // below every marker: a place in the pool
        out_->Append(stringPool_.Piece(slot >> 32, slot & 0xFFFFFFFF));
        return true;
      }
    }
    return EncodeBlobString(index);
  }
  bool EncodeBlobString(std::uint16_t index);
  void GrowSlots(std::uint16_t index);
  std::uint16_t FirstAtStart(std::uint32_t start, std::uint16_t index);
  void GrowStarts();
  std::uint64_t PoolString(std::uint16_t index);
  void EncodeString(std::uint16_t index, std::string& bytes);

  duib::BlobView blob_;

  StringEncoder encode_;
  std::uint64_t maxOutputBytes_;
  OutputWriter* out_ = nullptr;  // set during the walk
  // Encoded blob strings back to back, and per string ID its place in the pool
  // (start << 32 | length) or one of the markers. The pool never holds more bytes
  // than half the blob, whatever the string table claims. Like everything here,
  // they grow with the strings the items use, not with the count the table
  // claims: every page a process touches first costs microseconds.
  static constexpr std::uint64_t kNotEncoded = ~std::uint64_t{0};
  static constexpr std::uint64_t kNotPooled = ~std::uint64_t{0} - 1;
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0} - 2;  // no code units
  PaddedBuffer stringPool_;
  std::vector<std::uint64_t> stringSlots_;  // up to the highest ID used so far
  // The first ID met at each string start, so that entries sharing a start share
  // one encoding: open addressing in one array, at most three quarters full.
  struct StartEntry {
    std::uint32_t start;  // kFreeStart: a free entry
    std::uint32_t index;
  };
  static constexpr std::uint32_t kFreeStart = ~std::uint32_t{0};  // no start is this large
  std::vector<StartEntry> starts_;
  std::size_t startsUsed_ = 0;
  std::size_t poolBudget_ = 0;
  std::u16string units_;  // scratch: one string's code units
  std::string scratch_;   // scratch: one string's bytes past the pool budget
};

}  // namespace tamro
