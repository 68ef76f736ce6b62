// What every fuzz target shares: the seeds it defines, which target_common.cpp
// writes for `target --write-seeds=DIR` (so that the corpus is always made from
// the current builders instead of being kept as binary files in the
// repository), and Check, which turns a broken promise into a crash that the
// fuzzer reports.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tamro::fuzz {

using Seeds = std::vector<std::vector<std::uint8_t>>;

// Each target defines its seeds.
Seeds MakeSeeds();

inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace tamro::fuzz
