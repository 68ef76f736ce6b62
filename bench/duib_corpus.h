// Blobs for the benchmarks: a large realistic UI file, and adversarial shapes that
// would cost quadratic time or unbounded memory in a naive converter.
#pragma once

#include <cstdint>
#include <vector>

namespace tamro::bench {

struct Blob {
  std::vector<std::uint8_t> bytes;
  std::uint32_t elementItems = 0;
};

// A realistic UI file: nested containers of controls with a handful of attributes
// each, names and values drawn from a few thousand strings and the built-in words.
// `controls` sets the size; 100000 controls render to roughly 10 MiB of text.
Blob RealisticBlob(std::uint32_t controls);

// `count` elements, each with one `resid` attribute, and `count` resid entries,
// so every attribute is cross-checked against a table of `count` entries.
Blob ResidHeavyBlob(std::uint32_t count);

// A string table of `count` offsets that all point at one string of `length`
// characters, and `count` attributes that refer to it through the first 32768
// IDs. The text would pass the converter's cap long before the end.
Blob LongStringReferencesBlob(std::uint32_t count, std::uint32_t length);

}  // namespace tamro::bench
