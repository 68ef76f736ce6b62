// The blobs whose output files must stay byte for byte as they are: every shape
// of rendering, every kind of string (non-ASCII, surrogates, line ends), and the
// bundled sample files. Shared by the regression test and the tool that recorded
// its expected outputs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamro::test {

struct CorpusBlob {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// One empty element under a declared count of two: a blob that fails to convert.
std::vector<std::uint8_t> CountMismatchBlob();

// The corpus; `samplesFolder` holds the bundled uifiles (samples/uifiles).
std::vector<CorpusBlob> OutputCorpus(const std::string& samplesFolder);

// FNV-1a, 64 bits: a fingerprint of an output file for the expectation table.
inline std::uint64_t Fingerprint(std::string_view bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

}  // namespace tamro::test
