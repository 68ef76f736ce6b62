// Lets a fuzz target write its seed corpus: `target --write-seeds=DIR` stores
// every seed as a file in DIR and exits, so the corpus is always made from the
// current builders instead of being kept as binary files in the repository.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace tamro::fuzz {

using Seeds = std::vector<std::vector<std::uint8_t>>;

// Call from LLVMFuzzerInitialize with the target's seeds.
inline void WriteSeedsIfAsked(int* argc, char*** argv, Seeds (*makeSeeds)()) {
  constexpr const char kFlag[] = "--write-seeds=";
  for (int i = 1; i < *argc; ++i) {
    const char* arg = (*argv)[i];
    if (std::strncmp(arg, kFlag, sizeof kFlag - 1) != 0) continue;
    const std::string folder = arg + sizeof kFlag - 1;
    const Seeds seeds = makeSeeds();
    for (std::size_t n = 0; n < seeds.size(); ++n) {
      std::ofstream out(folder + "/seed-" + std::to_string(n), std::ios::binary);
      out.write(reinterpret_cast<const char*>(seeds[n].data()),
                static_cast<std::streamsize>(seeds[n].size()));
      if (!out) {
        std::fprintf(stderr, "cannot write seed %zu to %s\n", n, folder.c_str());
        std::exit(1);
      }
    }
    std::exit(0);
  }
}

}  // namespace tamro::fuzz
