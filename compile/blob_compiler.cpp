#include "compile/blob_compiler.h"

#include <cstring>

#include "compile/byte_words.h"
#include "compile/utf8.h"
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

// The first and the last sizeof(Half) bytes of a word at least that long, which
// may overlap.
template <typename Half>
std::uint64_t LoadEnds(const char* bytes, std::size_t size) {
  Half first = 0;
  Half last = 0;
  std::memcpy(&first, bytes, sizeof(Half));
  std::memcpy(&last, bytes + size - sizeof(Half), sizeof(Half));
  return first | (std::uint64_t{last} << (8 * sizeof(Half)));
}

// A word shorter than eight bytes as a number that differs for different words
// of one length: two loads that may overlap, nothing past the word.
std::uint64_t LoadShort(std::string_view bytes) {
  const std::size_t size = bytes.size();
  if (size >= 4) return LoadEnds<std::uint32_t>(bytes.data(), size);
  if (size >= 2) return LoadEnds<std::uint16_t>(bytes.data(), size);
  return size == 1 ? static_cast<unsigned char>(bytes[0]) : 0;
}

// Spreads every bit of `hash` over all others (the finalizer of MurmurHash3): the
// table indexes by the low bits, which a multiplication fills only from the low
// bits of its input, and names that differ in their last bytes are common.
std::uint64_t Spread(std::uint64_t hash) {
  hash = (hash ^ (hash >> 33)) * 0xFF51AFD7ED558CCDull;
  hash = (hash ^ (hash >> 33)) * 0xC4CEB9FE1A85EC53ull;
  return hash ^ (hash >> 33);
}

// Eight bytes at a time, each step mixed by a multiplication: names are short, and
// a byte at a time would cost a multiplication's latency per byte. The last step
// reads the last eight bytes, overlapping the one before: nothing past the word.
std::uint64_t HashOf(std::string_view bytes) {
  const std::size_t size = bytes.size();
  std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
  if (size < 8) return Spread(hash ^ LoadShort(bytes));
  for (std::size_t at = 0; at + 8 < size; at += 8) {
    hash = (hash ^ LoadWord(bytes.data() + at)) * 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 29;
  }
  return Spread(hash ^ LoadWord(bytes.data() + size - 8));
}

// Equal bytes, compared eight at a time; the last step reads the last eight
// bytes, overlapping the one before: nothing past either word.
bool SameBytes(std::string_view a, std::string_view b) {
  const std::size_t size = a.size();
  if (size != b.size()) return false;
  if (size < 8) return LoadShort(a) == LoadShort(b);
  for (std::size_t at = 0; at + 8 < size; at += 8) {
    if (LoadWord(a.data() + at) != LoadWord(b.data() + at)) return false;
  }
  return LoadWord(a.data() + size - 8) == LoadWord(b.data() + size - 8);
}

// A kept index below the last string reads as one shared empty string, behind
// the others.
constexpr std::uint32_t kNoStart = 0xFFFFFFFFu;

}  // namespace

BlobCompiler::BlobCompiler(std::vector<bool> keptIndexes, const BlockMemory& memory)
    : items_(memory), keptIndexes_(std::move(keptIndexes)) {
  keptIndexes_.resize(duib::kMaxStringIds, false);
}

std::string_view BlobCompiler::Grow(std::uint64_t bytes) {
  blobBytes_ += bytes;
  return blobBytes_ > kMaxBlobBytes ? kTooLarge : std::string_view();
}

std::string_view BlobCompiler::OnTag(TagKind kind, const Word& name, const CallPosition&) {
  if (blobBytes_ == 0) {
    // The sections always there, and the shared empty string that may follow.
    blobBytes_ = duib::kHeaderSize + 2 * duib::kSectionHeadSize + 2;
  }
  std::uint16_t id = 0;
  if (const std::string_view fault = Reference(name, id); !fault.empty()) return fault;
  if (id == duib::kStylesheetsId) stylesheets_ = kind != TagKind::Close;
  openTag_ = items_.size();
  items_.push_back(duib::ElementItem(static_cast<duib::ElementType>(TypeOf(kind)), 0, id));
  attributes_ = 0;
  tagResids_.clear();
  ++elementCount_;
  return Grow(4);
}

std::string_view BlobCompiler::OnAttribute(const Word& name, const Word& value,
                                           const CallPosition&) {
  if (attributes_ == duib::kMaxAttributes) return kTooManyAttributes;
  std::uint16_t nameId = 0;
  std::uint16_t valueId = 0;
  if (const std::string_view fault = Reference(name, nameId); !fault.empty()) return fault;
  const bool empty = !value.placeholder && value.text.empty();
  const Word stored = empty ? Word{std::nullopt, kEmptyValueStored} : value;
  if (const std::string_view fault = Reference(stored, valueId); !fault.empty()) return fault;
  items_.push_back(duib::AttributeItem(nameId, valueId));
  ++attributes_;
  if (nameId == duib::kResidId && !stylesheets_) tagResids_.push_back(valueId);
  return Grow(4);
}

// The walk checks each resid attribute against the first entry of its element,
// and every entry must be matched: an element whose resid attributes all carry one
// value gets one entry per attribute; one whose attributes disagree can pass only
// without entries.
std::string_view BlobCompiler::OnTagEnd(bool finished, const CallPosition&) {
  // A last tag without its end shows a stream that ends inside its attributes: its
  // count says one more than it has.
  const std::uint32_t count = attributes_ + (finished ? 0 : 1);
  if (count > duib::kMaxAttributes) return kTooManyAttributes;
  items_.SetBits(openTag_, count << 4);
  if (tagResids_.empty()) return {};
  for (const std::uint16_t value : tagResids_) {
    if (value != tagResids_.front()) return {};
  }
  if (resid_.empty()) {
    if (const std::string_view fault = Grow(duib::kSectionHeadSize); !fault.empty()) return fault;
  }
  for (const std::uint16_t value : tagResids_) resid_.push_back({value, elementCount_ - 1});
  return Grow(std::uint64_t{duib::kResidEntrySize} * tagResids_.size());
}

std::string_view BlobCompiler::Reference(const Word& word, std::uint16_t& id) {
  if (word.placeholder) {
    usedPlaceholders_ = true;
    id = *word.placeholder;
    if (id < duib::kMaxStringIds && !keptIndexes_[id]) {
      keptIndexes_[id] = true;
      keptUnknown_ = true;
    }
    return {};
  }
  if (table_.empty()) GrowTable();
  const std::uint64_t hash = HashOf(word.text);
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  const std::size_t mask = table_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = table_[at];
    if (!slot.used) break;
    if (slot.tag == tag &&
        SameBytes(std::string_view(words_).substr(slot.at, slot.size), word.text)) {
      id = slot.id;
      return {};
    }
  }
  return NewWord(word.text, hash, id);
}

// A word met for the first time: a built-in word's ID, or a new string, which
// takes the next ID that no placeholder keeps.
std::string_view BlobCompiler::NewWord(std::string_view utf8, std::uint64_t hash,
                                       std::uint16_t& id) {
  if (const std::optional<std::uint16_t> builtin = duib::IdOf(utf8)) {
    id = *builtin;
  } else {
    std::uint32_t next = nextId_;
    while (next < duib::kMaxStringIds && keptIndexes_[next]) ++next;
    if (next >= duib::kMaxStringIds) return kTooManyStrings;
    id = static_cast<std::uint16_t>(next);
    nextId_ = next + 1;
    const std::size_t slots = starts_.size();
    starts_.resize(next, kNoStart);  // the kept indexes passed over
    const std::size_t before = units_.size();
    starts_.push_back(static_cast<std::uint32_t>(before));
    AppendUtf16FromUtf8(utf8, units_);
    units_.push_back(u'\0');
    const std::uint64_t added =
        4 * std::uint64_t{starts_.size() - slots} + 2 * (units_.size() - before);
    // Past the limit nothing more is kept: the text is refused.
    if (const std::string_view fault = Grow(added); !fault.empty()) return fault;
  }
  const Slot slot{words_.size(), static_cast<std::uint32_t>(utf8.size()),
                  static_cast<std::uint32_t>(hash >> 32), id, true};
  words_.append(utf8);
  ++wordCount_;
  if (2 * std::size_t{wordCount_} > table_.size()) GrowTable();
  Place(table_, slot, hash);
  return {};
}

void BlobCompiler::Place(std::vector<Slot>& table, const Slot& slot, std::uint64_t hash) const {
  const std::size_t mask = table.size() - 1;
  std::size_t at = hash & mask;
  while (table[at].used) at = (at + 1) & mask;
  table[at] = slot;
}

void BlobCompiler::GrowTable() {
  std::vector<Slot> table(table_.empty() ? 1024 : 2 * table_.size());
  for (const Slot& slot : table_) {
    if (slot.used) Place(table, slot, HashOf(std::string_view(words_).substr(slot.at, slot.size)));
  }
  table_.swap(table);
}

duib::BlobContent BlobCompiler::Finish() {
  duib::BlobContent content;
  const auto shared = static_cast<std::uint32_t>(units_.size());
  bool sharedUsed = false;
  for (std::uint32_t& start : starts_) {
    if (start == kNoStart) {
      start = shared;
      sharedUsed = true;
    }
  }
  if (sharedUsed) units_.push_back(u'\0');
  content.items = std::move(items_);
  content.elementCount = elementCount_;
  content.resid = std::move(resid_);
  content.stringUnits = std::move(units_);
  content.stringStarts = std::move(starts_);
  return content;
}

}  // namespace tamro::compile
