// The built-in vocabulary: the names of IDs 0x8000 and above, which a blob uses
// without storing their text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamro {

class NameDictionary {
 public:
  // An empty dictionary; see WithBuiltins for the one the converter uses.
  NameDictionary();

  // The 47 built-in names, added in ascending ID order.
  static NameDictionary WithBuiltins();

  // Appends (id, name) at the end of the list; an earlier entry for the same ID
  // keeps winning in Lookup. Throws std::bad_alloc when memory runs out: a
  // dictionary with a hole would render known names as unknown.
  void Add(std::uint16_t id, std::wstring name);

  // The name of the first entry with `id`, or an empty view. O(1): IDs of the
  // built-in range are indexed directly.
  std::wstring_view Lookup(std::uint16_t id) const;

  std::size_t size() const { return entries_.size(); }

 private:
  static constexpr std::uint16_t kIndexBase = 0x8000;
  static constexpr std::size_t kIndexSize = 0x40;
  static constexpr std::uint8_t kNoEntry = 0xFF;

  std::vector<std::pair<std::uint16_t, std::wstring>> entries_;
  std::array<std::uint8_t, kIndexSize> index_;  // entry number of the first entry per ID
  bool hasUnindexed_ = false;                   // some entry lies outside the index
};

}  // namespace tamro
