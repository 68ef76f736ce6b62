// CDuibConvert turns one DUIB blob into XML text. It first reads the blob,
// checking every section against the blob's size, and only then walks the item
// stream and renders one line per element item.
//
// Nothing of the blob is copied: the converter keeps the checked positions of its
// sections and reads items, resid entries and strings from the caller's bytes,
// which must stay valid for the whole Convert call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/byte_view.h"
#include "engine/convert_status.h"
#include "engine/name_dictionary.h"
#include "engine/text_writer.h"

namespace tamro {

// The rendered text never grows past this many characters; a blob that would
// need more fails with StatusTooLarge. Real UI files render to a few MiB.
inline constexpr std::size_t kMaxTextChars = std::size_t{64} << 20;

inline constexpr std::uint32_t kDuibMagic = 0x62697564;  // "duib"
inline constexpr std::uint32_t kDuibVersion = 5;
inline constexpr std::uint16_t kResidId = 0x8002;
inline constexpr std::uint16_t kStylesheetsId = 0x8005;

class CDuibConvert {
 public:
  explicit CDuibConvert(std::size_t maxTextChars = kMaxTextChars) : maxTextChars_(maxTextChars) {}

  // Reads and renders the blob into `text`. A failure of the reading phase
  // returns its code and leaves `text` untouched.
  ConvertStatus Convert(const std::uint8_t* blob, std::uint32_t size, std::wstring& text);

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
  // string sections; each returns StatusOk or the code of its first failed check.
  ConvertStatus ReadBlob(const std::uint8_t* blob, std::uint32_t size);
  ConvertStatus ReadResidSection(ByteView blob);
  ConvertStatus ReadElementSection(ByteView blob);
  ConvertStatus ReadStringSection(ByteView blob);

  // Rendering (duib_render.cpp). Each appends to out_; an append that would pass
  // the cap appends nothing and marks the writer overflowed.
  ConvertStatus Render();
  void GetElementName(std::uint32_t item, bool& stylesheets);
  void GetAttributeText(std::uint32_t item, std::int32_t elementIndex, bool stylesheets);
  void AppendName(std::uint16_t id, NameKind kind);
  bool AppendBlobString(std::uint16_t index);
  std::uint32_t StringStart(std::uint16_t index) const;
  std::uint32_t StringUnits(std::uint32_t start) const;
  std::size_t DecodeUtf16(std::uint32_t start, std::uint32_t units, wchar_t* dest) const;
  void CheckResid(std::int32_t elementIndex, std::uint16_t valueId);
  void IndexResidTable();

  BlobData blob_;
  std::uint32_t declaredElementCount_ = 0;
  std::int32_t residMatchCount_ = 0;
  std::uint32_t unknownCount_ = 0;
  bool residCheckFailed_ = false;

  std::size_t maxTextChars_;
  TextWriter* out_ = nullptr;  // set during Render
  // Decoded blob strings back to back, and per string ID its place in the pool
  // (start << 32 | length) or one of the two markers. The pool never holds more
  // characters than the blob has code units, whatever the string table claims.
  static constexpr std::uint64_t kNotDecoded = ~std::uint64_t{0};
  static constexpr std::uint64_t kNotPooled = ~std::uint64_t{0} - 1;
  std::wstring stringPool_;
  std::vector<std::uint64_t> stringSlots_;
  std::size_t poolBudget_ = 0;
  // First resid entry (number + 1, 0 for none) per element index; built on the
  // first cross-check so each check is O(1).
  std::vector<std::uint32_t> residFirstEntry_;
  bool residIndexed_ = false;
};

}  // namespace tamro
