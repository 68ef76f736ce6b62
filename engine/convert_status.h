// Converter status codes: the outcome of one DUIB conversion. 0x8003, 0x8004 and
// 0x8007 belong to reads of the resid, string and element sections that fail
// only without source bytes; the header read refuses that case first, so they
// are never returned.
#pragma once

#include <cstdint>

namespace tamro {

using ConvertStatus = std::uint32_t;

inline constexpr ConvertStatus StatusOk = 0x0000;
inline constexpr ConvertStatus StatusSizeCheck = 0x8001;     // data would lie beyond the blob
inline constexpr ConvertStatus StatusHeaderRead = 0x8002;    // no source bytes at all
inline constexpr ConvertStatus StatusBadSignature = 0x8005;  // magic not "duib" or version not 5
inline constexpr ConvertStatus StatusElementCount = 0x8006;  // stream disagrees with its count
// The output would pass kMaxOutputBytes, or memory for the conversion ran out.
inline constexpr ConvertStatus StatusTooLarge = 0x8008;
inline constexpr ConvertStatus StatusWarnings = 0x8FFF;  // unknown names or resid mismatch

}  // namespace tamro
