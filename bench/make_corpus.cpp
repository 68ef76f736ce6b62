// Writes inputs for whole-program timings:
//   make_corpus files  <folder> <count> [controls per file]   realistic DUIB files
//   make_corpus module <file>   <count> [controls per file]   a PE32+ module with
//                                                             <count> UIFILE resources
//   make_corpus refs   <file>   <count>                       one small blob with <count>
//                                                             references to a 4096-character
//                                                             string: a large output
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/duib_corpus.h"
#include "tests/builders/pe_builder.h"

namespace {

// Vary the size a little so the items are not all alike.
std::vector<std::uint8_t> Item(int index, int controls) {
  return tamro::bench::RealisticBlob(static_cast<std::uint32_t>(controls + index % 97)).bytes;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (out) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc < 4 || (mode != "files" && mode != "module" && mode != "refs")) {
    std::fprintf(stderr, "usage: make_corpus files|module|refs <folder|file> <count> [controls]\n");
    return 2;
  }
  const std::string target = argv[2];
  const int count = std::atoi(argv[3]);
  if (mode == "refs") {
    if (count < 1) return 2;
    return Write(target,
                 tamro::bench::LongStringReferencesBlob(static_cast<std::uint32_t>(count), 4096)
                     .bytes)
               ? 0
               : 1;
  }
  const int controls = argc > 4 ? std::atoi(argv[4]) : 200;
  if (count < 1 || count > 60000 || controls < 1) {
    std::fprintf(stderr, "count must be 1..60000 and controls positive\n");
    return 2;
  }

  if (std::strcmp(argv[1], "files") == 0) {
    for (int i = 0; i < count; ++i) {
      if (!Write(target + "/" + std::to_string(10000 + i) + ".raw", Item(i, controls))) return 1;
    }
    return 0;
  }

  using tamro::test::PeKey;
  tamro::test::PeBuilder module(tamro::test::PeFormat::Pe32Plus);
  module.AddSection(".text", std::vector<std::uint8_t>(4096, 0xCC));
  for (int i = 0; i < count; ++i) {
    module.AddUifile(PeKey::Id(static_cast<std::uint16_t>(1000 + i)), Item(i, controls));
  }
  return Write(target, module.Build()) ? 0 : 1;
}
