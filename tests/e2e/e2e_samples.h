// DUIB inputs for the end-to-end tests, each with the exact output it must give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamro::e2e {

struct Sample {
  std::vector<std::uint8_t> blob;
  std::string xml;  // the bytes of the output file; empty when none is written
};

// Converts cleanly: <duixml> around one Element whose id is `word` (ASCII).
Sample CleanSample(const std::u16string& word);

// Converts cleanly and carries a non-ASCII value (written as UTF-8 on Linux).
Sample NonAsciiSample();

// Converts with "Warning: 1 unknown XML tags found".
Sample OneUnknownSample();

// Converts with "Warning: ResID check failed, 2 unknown XML tags found".
Sample ResidAndUnknownSample();

// Passes the signature test ("DUIB" followed by 5) and fails with 0x8005.
Sample BadMagicSample();

// Declares one element more than it holds: fails with 0x8006.
Sample CountMismatchSample();

}  // namespace tamro::e2e
