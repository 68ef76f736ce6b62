// The blob's strings as output bytes: decoded from UTF-16LE, encoded once by the
// platform's encoder, with the line-end rule of the output file applied.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "engine/duib_convert.h"

namespace tamro {
namespace {

// Every CR removed and every LF written as CR LF in bytes[from, end). In UTF-8
// and in every ANSI code page these two bytes stand only for these characters.
void ApplyLineEnds(std::string& bytes, std::size_t from) {
  const char* begin = bytes.data() + from;
  const std::size_t n = bytes.size() - from;
  if (std::memchr(begin, '\r', n) == nullptr && std::memchr(begin, '\n', n) == nullptr) return;
  std::string piece(begin, n);
  bytes.resize(from);
  for (const char c : piece) {
    if (c == '\r') continue;
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
}

}  // namespace

// Appends string `index` of the blob's string table when it is not in the pool
// yet, or not pooled at all. False (nothing appended) for a string of no code
// units, which is rendered as unknown. Each string is encoded once into the pool
// while the pool stays within its budget (always, for real files); strings past
// the budget, which only overlapping hostile tables reach, are encoded anew on
// every use, which costs no more than the bytes they produce.
bool CDuibConvert::EncodeBlobString(std::uint16_t index) {
  if (stringSlots_.empty()) {
    stringSlots_.assign(std::min<std::uint32_t>(blob_.StringCount(), 0x8000), kNotEncoded);
  }
  std::uint64_t& slot = stringSlots_[index];
  if (slot == kNotEncoded) {
    // Entries that share a start share their bytes.
    const std::uint32_t start = blob_.StringStart(index);
    const auto [shared, added] = slotsByStart_.try_emplace(start, kNotEncoded);
    if (!added) {
      slot = shared->second;
    } else if (blob_.StringEmpty(start)) {
      slot = kEmpty;
    } else {
      slot = PoolString(index);
    }
    shared->second = slot;
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
