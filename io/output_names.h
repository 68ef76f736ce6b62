// The output names that one batch has written, so that no item of the batch
// replaces the output of an earlier one: two sources that differ only in their
// extension, resource names that become the same safe name, names that differ
// only in case on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tamro {

class OutputNames {
 public:
  // `name` (which ends with `extension`) when no output of this batch has it yet;
  // otherwise the first of "<stem>~2<extension>", "<stem>~3<extension>", ... that
  // none has. Names compare as the destination's file system compares them.
  std::wstring Choose(const std::wstring& name, std::wstring_view extension);

  // Takes `name` for an output that now stands in the destination.
  void Add(const std::wstring& name);

 private:
  bool Taken(const std::wstring& name) const;

  std::unordered_set<std::wstring> taken_;                // as platform::FileNameKey gives them
  std::unordered_map<std::wstring, std::uint64_t> next_;  // per stem: the counter to try next
};

}  // namespace tamro
