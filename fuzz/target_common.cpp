// libFuzzer's start-up hook, the same for every target: with --write-seeds=DIR
// it stores the target's seeds as files in DIR and exits.
#include "fuzz/target_common.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  constexpr const char kFlag[] = "--write-seeds=";
  for (int i = 1; i < *argc; ++i) {
    const char* arg = (*argv)[i];
    if (std::strncmp(arg, kFlag, sizeof kFlag - 1) != 0) continue;
    const std::string folder = arg + sizeof kFlag - 1;
    const tamro::fuzz::Seeds seeds = tamro::fuzz::MakeSeeds();
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
  return 0;
}
