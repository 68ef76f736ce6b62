#include "compile/blob_compiler.h"

#include <cstring>

#include "bytes/utf16.h"
#include "duib/layout.h"
#include "duib/name_dictionary.h"

namespace tamro::compile {
namespace {

constexpr std::string_view kTooManyAttributes = "an element holds at most 4095 attributes";
constexpr std::string_view kTooManyStrings =
    "more than 32768 different names and values, which IDs cannot name";
constexpr std::string_view kTooLarge = "the UI file would grow past 4 GiB, the format's limit";
// An empty string names nothing (tamro shows it as a placeholder), so an empty
// value is stored as the one string that tamro shows as empty: a lone CR, which
// the output's line-end rule drops.
constexpr std::string_view kEmptyValueStored = "\r";

constexpr std::uint64_t kMaxBlobBytes = 0xFFFFFFFFu;

std::uint32_t TypeOf(TagKind kind) {
  switch (kind) {
    case TagKind::Open:
      return static_cast<std::uint32_t>(duib::ElementType::Open);
    case TagKind::Empty:
      return static_cast<std::uint32_t>(duib::ElementType::Empty);
    case TagKind::Close:
      break;
  }
  return static_cast<std::uint32_t>(duib::ElementType::Close);
}

// Eight bytes at a time, each step mixed by a multiplication: names are short, and
// a byte at a time would cost a multiplication's latency per byte.
std::uint64_t HashOf(std::string_view bytes) {
  std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ bytes.size();
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + at, 8);
    hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 29;
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
  hash = (hash ^ tail) * 0x94D049BB133111EBull;
  return hash ^ (hash >> 32);
}

// Appends the UTF-16 form of `utf8`, which the reader has already validated.
void AppendUtf16FromUtf8(std::string_view utf8, std::u16string& units) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      units.push_back(lead);
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    AppendUtf16(code, units);
    i += length;
  }
}

}  // namespace

std::string_view BlobCompiler::Grow(std::uint64_t bytes) {
  blobBytes_ += bytes;
  return blobBytes_ > kMaxBlobBytes ? kTooLarge : std::string_view();
}

std::string_view BlobCompiler::OnTag(TagKind kind, const Word& name, TextPosition at) {
  if (blobBytes_ == 0) {
    blobBytes_ = duib::kHeaderSize + 2 * duib::kSectionHeadSize;  // the sections always there
  }
  std::uint32_t reference = 0;
  if (const std::string_view fault = Reference(name, at, reference); !fault.empty()) return fault;
  if (reference == duib::kStylesheetsId) stylesheets_ = kind != TagKind::Close;
  openTag_ = items_.size();
  items_.push_back(kElement | TypeOf(kind));
  items_.push_back(reference);
  attributes_ = 0;
  tagResids_.clear();
  ++elementCount_;
  return Grow(4);
}

std::string_view BlobCompiler::OnAttribute(const Word& name, const Word& value, TextPosition at) {
  if (attributes_ == duib::kMaxAttributes) return kTooManyAttributes;
  std::uint32_t nameReference = 0;
  std::uint32_t valueReference = 0;
  if (const std::string_view fault = Reference(name, at, nameReference); !fault.empty()) {
    return fault;
  }
  const bool empty = !value.placeholder && value.text.empty();
  const Word stored = empty ? Word{std::nullopt, kEmptyValueStored} : value;
  if (const std::string_view fault = Reference(stored, at, valueReference); !fault.empty()) {
    return fault;
  }
  items_.push_back(nameReference);
  items_.push_back(valueReference);
  ++attributes_;
  if (nameReference == duib::kResidId && !stylesheets_) tagResids_.push_back(valueReference);
  return Grow(4);
}

// The walk checks each resid attribute against the first entry of its element,
// and every entry must be matched: an element whose resid attributes all carry one
// value gets one entry per attribute; one whose attributes disagree can pass only
// without entries.
std::string_view BlobCompiler::OnTagEnd(bool finished, TextPosition) {
  // A last tag without its end shows a stream that ends inside its attributes: its
  // count says one more than it has.
  const std::uint32_t count = attributes_ + (finished ? 0 : 1);
  if (count > duib::kMaxAttributes) return kTooManyAttributes;
  items_[openTag_] |= count << 4;
  if (tagResids_.empty()) return {};
  for (const std::uint32_t value : tagResids_) {
    if (value != tagResids_.front()) return {};
  }
  if (resid_.empty()) {
    if (const std::string_view fault = Grow(duib::kSectionHeadSize); !fault.empty()) return fault;
  }
  for (const std::uint32_t value : tagResids_) resid_.push_back({value, elementCount_ - 1});
  return Grow(std::uint64_t{duib::kResidEntrySize} * tagResids_.size());
}

std::string_view BlobCompiler::Reference(const Word& word, TextPosition at,
                                         std::uint32_t& reference) {
  if (word.placeholder) {
    usedPlaceholders_ = true;
    reference = *word.placeholder;
    if (reference < duib::kMaxStringIds) keptIndexes_[reference] = true;
    return {};
  }
  if (table_.empty()) GrowTable();
  const std::uint64_t hash = HashOf(word.text);
  const std::size_t mask = table_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = table_[slot];
    if (entry == 0) break;
    const Known& known = known_[entry - 1];
    if (known.hash == hash && known.word == word.text) {
      reference = known.reference;
      return {};
    }
  }
  return NewWord(word.text, at, reference);
}

// A word met for the first time: a built-in word's ID, or a new string.
std::string_view BlobCompiler::NewWord(std::string_view utf8, TextPosition at,
                                       std::uint32_t& reference) {
  if (const std::optional<std::uint16_t> builtin = duib::IdOf(utf8)) {
    reference = *builtin;
  } else {
    if (starts_.size() == duib::kMaxStringIds) return kTooManyStrings;
    reference = kString + static_cast<std::uint32_t>(starts_.size());
    const std::size_t before = units_.size();
    starts_.push_back(static_cast<std::uint32_t>(before));
    firstLines_.push_back(at.line);
    AppendUtf16FromUtf8(utf8, units_);
    units_.push_back(u'\0');
    if (const std::string_view fault = Grow(4 + 2 * std::uint64_t{units_.size() - before});
        !fault.empty()) {
      return fault;
    }
  }
  known_.push_back(Known{HashOf(utf8), std::string(utf8), reference});
  if (2 * known_.size() > table_.size()) {
    GrowTable();
  } else {
    const std::size_t mask = table_.size() - 1;
    std::size_t slot = known_.back().hash & mask;
    while (table_[slot] != 0) slot = (slot + 1) & mask;
    table_[slot] = static_cast<std::uint32_t>(known_.size());
  }
  return {};
}

void BlobCompiler::GrowTable() {
  std::vector<std::uint32_t> table(table_.empty() ? 1024 : 2 * table_.size(), 0);
  const std::size_t mask = table.size() - 1;
  for (std::uint32_t entry = 1; entry <= known_.size(); ++entry) {
    std::size_t slot = known_[entry - 1].hash & mask;
    while (table[slot] != 0) slot = (slot + 1) & mask;
    table[slot] = entry;
  }
  table_.swap(table);
}

bool BlobCompiler::Finish(duib::BlobContent& content, TextError& error) {
  // The final index of each string: the next index that no placeholder keeps.
  std::vector<std::uint32_t> finalIds(starts_.size());
  std::uint32_t next = 0;
  for (std::uint32_t number = 0; number < starts_.size(); ++number) {
    while (next < duib::kMaxStringIds && keptIndexes_[next]) ++next;
    if (next >= duib::kMaxStringIds) {
      error = TextError{TextPosition{firstLines_[number], 1}, std::string(kTooManyStrings)};
      return false;
    }
    finalIds[number] = next++;
  }
  const auto finalId = [&](std::uint32_t reference) {
    return reference >= kString ? finalIds[reference - kString] : reference;
  };

  // Two words an item become one, in place: item k reads words 2k and 2k + 1.
  const std::size_t itemCount = items_.size() / 2;
  for (std::size_t k = 0; k < itemCount; ++k) {
    const std::uint32_t first = items_[2 * k];
    const std::uint32_t second = items_[2 * k + 1];
    items_[k] = (first & kElement) != 0 ? (first & 0xFFFF) | (finalId(second) << 16)
                                        : finalId(first) | (finalId(second) << 16);
  }
  items_.resize(itemCount);
  for (duib::ResidEntry& entry : resid_) entry.valueId = finalId(entry.valueId);

  // Kept indexes below the last string read as one shared empty string.
  const std::uint32_t stringCount = starts_.empty() ? 0 : finalIds.back() + 1;
  std::vector<std::uint32_t> stringStarts(stringCount);
  const auto empty = static_cast<std::uint32_t>(units_.size());
  bool emptyUsed = false;
  std::uint32_t number = 0;
  for (std::uint32_t index = 0; index < stringCount; ++index) {
    if (number < finalIds.size() && finalIds[number] == index) {
      stringStarts[index] = starts_[number++];
    } else {
      stringStarts[index] = empty;
      emptyUsed = true;
    }
  }
  if (emptyUsed) units_.push_back(u'\0');

  content.items = std::move(items_);
  content.elementCount = elementCount_;
  content.resid = std::move(resid_);
  content.stringUnits = std::move(units_);
  content.stringStarts = std::move(stringStarts);
  if (!duib::BlobSize(content)) {
    error = TextError{TextPosition{firstLines_.empty() ? 1 : firstLines_.back(), 1},
                      std::string(kTooLarge)};
    return false;
  }
  return true;
}

}  // namespace tamro::compile
