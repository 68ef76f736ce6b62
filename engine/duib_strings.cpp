// The blob's strings as output bytes: decoded from UTF-16LE, encoded once by the
// platform's encoder, with the line-end rule of the output file applied.
#include <algorithm>
#include <cstring>

#include "engine/duib_convert.h"

namespace tamro {
namespace {

// Every CR removed and every LF written as CR LF in bytes[from, end), in place.
// In UTF-8 and in every ANSI code page these two bytes stand only for these
// characters.
void ApplyLineEnds(std::string& bytes, std::size_t from) {
  const char* begin = bytes.data() + from;
  const std::size_t n = bytes.size() - from;
  if (std::memchr(begin, '\r', n) == nullptr && std::memchr(begin, '\n', n) == nullptr) return;
  std::size_t kept = from;
  std::size_t feeds = 0;
  for (std::size_t i = from; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') continue;
    if (c == '\n') ++feeds;
    bytes[kept++] = c;
  }
  bytes.resize(kept + feeds);
  // Back to front, so each byte moves once and never over one still to move.
  for (std::size_t from_end = kept, to = bytes.size(); from_end > from;) {
    const char c = bytes[--from_end];
    bytes[--to] = c;
    if (c == '\n') bytes[--to] = '\r';
  }
}

// Where a start's search begins among `mask + 1` entries: the multiply and the
// fold spread neighbouring starts (string offsets, mostly even and close
// together) over the whole table.
std::size_t Home(std::uint32_t start, std::size_t mask) {
  std::uint32_t mixed = start * 0x9E3779B1u;
  mixed ^= mixed >> 16;
  return mixed & mask;
}

}  // namespace

// Appends string `index` of the blob's string table when it is not in the pool
// yet, or not pooled at all. False (nothing appended) for a string of no code
// units, which is rendered as unknown. Each string is encoded once into the pool
// while the pool stays within its budget (always, for real files); strings past
// the budget, which only overlapping hostile tables reach, are encoded anew on
// every use, which costs no more than the bytes they produce.
bool CDuibConvert::EncodeBlobString(std::uint16_t index) {
  if (index >= stringSlots_.size()) {
    GrowSlots(index);
    if (index >= stringSlots_.size()) return false;  // past the table: callers never ask
  }
  std::uint64_t& slot = stringSlots_[index];
  if (slot == kNotEncoded) {
    // Entries that share a start share their bytes.
    const std::uint32_t start = blob_.StringStart(index);
    const std::uint16_t first = FirstAtStart(start, index);
    if (first != index) {
      slot = stringSlots_[first];  // met before, so settled and within the slots
    } else if (blob_.StringEmpty(start)) {
      slot = kEmpty;
    } else {
      slot = PoolString(index);
    }
  }
  if (slot == kEmpty) return false;
  if (slot == kNotPooled) {
    scratch_.clear();
    EncodeString(index, scratch_);
    out_->Append(scratch_);
    return true;
  }
  out_->Append(stringPool_.Piece(slot >> 32, slot & 0xFFFFFFFF));
  return true;
}

// Room for the slot of `index` (below the string count and 0x8000): at least
// twice the slots so far, so that growing costs O(1) per ID.
void CDuibConvert::GrowSlots(std::uint16_t index) {
  const std::size_t limit = std::min<std::uint32_t>(blob_.StringCount(), 0x8000);
  const std::size_t wanted =
      std::max<std::size_t>({std::size_t{index} + 1, 2 * stringSlots_.size(), 64});
  stringSlots_.resize(std::min(wanted, limit), kNotEncoded);
}

// The first ID met at `start`: `index` itself when the start is new, which it
// then stands for.
std::uint16_t CDuibConvert::FirstAtStart(std::uint32_t start, std::uint16_t index) {
  if (4 * (startsUsed_ + 1) > 3 * starts_.size()) GrowStarts();
  const std::size_t mask = starts_.size() - 1;
  for (std::size_t at = Home(start, mask);; at = (at + 1) & mask) {
    StartEntry& entry = starts_[at];
    if (entry.start == start) return static_cast<std::uint16_t>(entry.index);
    if (entry.start == kFreeStart) {
      entry = StartEntry{start, index};
      ++startsUsed_;
      return index;
    }
  }
}

// Twice the entries (64 at first), every start placed anew.
void CDuibConvert::GrowStarts() {
  std::vector<StartEntry> old(std::max<std::size_t>(64, 2 * starts_.size()),
                              StartEntry{kFreeStart, 0});
  old.swap(starts_);
  const std::size_t mask = starts_.size() - 1;
  for (const StartEntry& entry : old) {
    if (entry.start == kFreeStart) continue;
    std::size_t at = Home(entry.start, mask);
    while (starts_[at].start != kFreeStart) at = (at + 1) & mask;
    starts_[at] = entry;
  }
}

// Encodes string `index` at the end of the pool and returns its slot, or
// kNotPooled when it would take the pool past its budget.
std::uint64_t CDuibConvert::PoolString(std::uint16_t index) {
  const std::size_t at =
      stringPool_.Append([&](std::string& bytes) { EncodeString(index, bytes); });
  const std::size_t length = stringPool_.size() - at;
  if (stringPool_.size() > poolBudget_) {
    stringPool_.Truncate(at);
    return kNotPooled;
  }
  return (std::uint64_t{at} << 32) | length;
}

// Appends the bytes of string `index` to `bytes`.
void CDuibConvert::EncodeString(std::uint16_t index, std::string& bytes) {
  const std::uint32_t start = blob_.StringStart(index);
  const std::uint32_t count = blob_.StringUnits(start);
  const ByteView& blob = blob_.Bytes();
  units_.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    units_[i] = static_cast<char16_t>(blob.U16Unchecked(start + 2 * i));
  }
  const std::size_t from = bytes.size();
  encode_(units_, bytes);
  ApplyLineEnds(bytes, from);
}

}  // namespace tamro
