// Converter status: the outcome of one DUIB conversion, with the values that the
// item's report shows ("Error: DUIB conversion failed (0x8001)").
#pragma once

#include <cstdint>

namespace tamro {

enum class ConvertStatus : std::uint32_t {
  Ok = 0x0000,
  SizeCheck = 0x8001,     // data would lie beyond the blob
  HeaderRead = 0x8002,    // no source bytes at all
  BadSignature = 0x8005,  // magic not "duib" or version not 5
  ElementCount = 0x8006,  // the stream disagrees with its declared count
  TooLarge = 0x8008,      // the output would pass the cap, or memory ran out
  Warnings = 0x8FFF,      // unknown names or a resid mismatch
};

}  // namespace tamro
