// The modules of the differential test: seed modules (built by the PE builder and,
// where mingw-w64's windres and ld are installed, by real tools), and a
// deterministic stream of copies with a few bytes of their resource directory
// changed: tables, entries, name strings and data entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tamro::test {

struct SeedModule {
  std::string label;
  std::vector<std::uint8_t> bytes;
  std::size_t directoryBegin = 0;  // file offsets of the resource directory
  std::size_t directoryEnd = 0;
  std::string listedIds;  // the list-mode argument for this module
};

// The seeds; those that need tools missing here are left out. `scratch` is a
// folder for the tools' files.
std::vector<SeedModule> SeedModules(const std::filesystem::path& scratch);

// Copy number `index` of `seed`, with 1 to 4 changes that depend on `index` alone.
std::vector<std::uint8_t> Mutated(const SeedModule& seed, std::uint64_t index);

}  // namespace tamro::test
