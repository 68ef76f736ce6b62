// CDuibConvert turns one DUIB blob into the bytes of its XML text file. It first
// reads the blob, checking every section against the blob's size, and only then
// walks the item stream and renders one line per element item, straight into the
// output's bytes: tags are ASCII, each blob string is encoded once.
//
// Nothing of the blob is copied: the converter keeps the checked positions of its
// sections and reads items, resid entries and strings from the caller's bytes,
// which must stay valid for the whole Convert call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bytes/byte_view.h"
#include "engine/convert_status.h"
#include "engine/output_sink.h"
#include "engine/output_writer.h"
#include "engine/padded_text.h"

namespace tamro {

// The output never grows past this many bytes; a blob that would need more fails
// with ConvertStatus::TooLarge. Real UI files render to a few MiB. Memory does not depend
// on it: the output streams out in bounded chunks.
inline constexpr std::uint64_t kMaxOutputBytes = std::uint64_t{256} << 20;

inline constexpr std::uint32_t kDuibMagic = 0x62697564;  // "duib"
inline constexpr std::uint32_t kDuibVersion = 5;
inline constexpr std::uint16_t kResidId = 0x8002;
inline constexpr std::uint16_t kStylesheetsId = 0x8005;

class CDuibConvert {
 public:
  explicit CDuibConvert(StringEncoder encode, std::uint64_t maxOutputBytes = kMaxOutputBytes)
      : encode_(encode), maxOutputBytes_(maxOutputBytes) {}

  // Reads the blob and renders it into `sink`, each line ending in CR LF and the
  // blob's strings encoded by `encode` with CR dropped and LF written as CR LF.
  // A failure of the reading phase returns its code before any byte is written.
  ConvertStatus Convert(const std::uint8_t* blob, std::uint32_t size, OutputSink& sink);

  std::uint32_t UnknownCount() const { return unknownCount_; }
  bool ResidCheckFailed() const { return residCheckFailed_; }

 private:
  enum class NameKind { Element, Attribute, Value };

  struct Header {
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    std::uint32_t elementOffset = 0;
    std::uint32_t stringOffset = 0;
    std::uint32_t residFlag = 0;
  };

  // Checked positions of the sections inside the caller's bytes.
  struct BlobData {
    ByteView bytes;
    Header header;
    std::uint32_t residEntriesAt = 0;
    std::uint32_t residCount = 0;
    std::uint32_t itemsAt = 0;
    std::uint32_t itemCount = 0;
    std::uint32_t stringTableAt = 0;  // the string section's first byte
    std::uint32_t stringCount = 0;
  };

  // Reading phase (duib_convert.cpp): the header, then the resid, element and
  // string sections; each returns ConvertStatus::Ok or the code of its first failed check.
  ConvertStatus ReadBlob(const std::uint8_t* blob, std::uint32_t size);
  ConvertStatus ReadResidSection(ByteView blob);
  ConvertStatus ReadElementSection(ByteView blob);
  ConvertStatus ReadStringSection(ByteView blob);

  // Rendering (duib_render.cpp). Each appends to out_; an append that would pass
  // the cap appends nothing and marks the writer overflowed.
  ConvertStatus Render();
  void GetElementName(std::uint32_t item, bool& stylesheets);
  // Inline: they run for every name of the stream, and a call costs about as much
  // as the copy they make.
  [[gnu::always_inline]] inline void GetAttributeText(std::uint32_t item, std::int32_t elementIndex,
                                                      bool stylesheets);
  [[gnu::always_inline]] inline void AppendName(std::uint16_t id, NameKind kind);
  [[gnu::noinline]] void AppendPlaceholder(std::uint16_t id, NameKind kind);
  void CheckResid(std::int32_t elementIndex, std::uint16_t valueId);

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
  std::uint64_t PoolString(std::uint16_t index);
  void EncodeString(std::uint16_t index, std::string& bytes);
  std::uint32_t StringStart(std::uint16_t index) const;
  std::uint32_t StringUnits(std::uint32_t start) const;
  void IndexResidTable();

  BlobData blob_;
  std::uint32_t declaredElementCount_ = 0;
  std::int32_t residMatchCount_ = 0;
  std::uint32_t unknownCount_ = 0;
  bool residCheckFailed_ = false;

  StringEncoder encode_;
  std::uint64_t maxOutputBytes_;
  OutputWriter* out_ = nullptr;  // set during Render
  // Encoded blob strings back to back, and per string ID its place in the pool
  // (start << 32 | length) or one of the markers. The pool never holds more bytes
  // than half the blob, whatever the string table claims.
  static constexpr std::uint64_t kNotEncoded = ~std::uint64_t{0};
  static constexpr std::uint64_t kNotPooled = ~std::uint64_t{0} - 1;
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0} - 2;  // no code units
  PaddedBuffer stringPool_;
  std::vector<std::uint64_t> stringSlots_;
  std::unordered_map<std::uint32_t, std::uint64_t> slotsByStart_;  // at most 32768 entries
  std::size_t poolBudget_ = 0;
  std::u16string units_;  // scratch: one string's code units
  std::string scratch_;   // scratch: one string's bytes past the pool budget
  // First resid entry (number + 1, 0 for none) per element index; built on the
  // first cross-check so each check is O(1).
  std::vector<std::uint32_t> residFirstEntry_;
  bool residIndexed_ = false;
};

}  // namespace tamro
