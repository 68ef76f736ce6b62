// Converter status codes: the outcome of one DUIB conversion.
#pragma once

#include <cstdint>

namespace tamro {

using ConvertStatus = std::uint32_t;

inline constexpr ConvertStatus StatusOk = 0x0000;
inline constexpr ConvertStatus StatusSizeCheck = 0x8001;   // data would lie beyond the blob
inline constexpr ConvertStatus StatusHeaderRead = 0x8002;  // no source bytes for the header
inline constexpr ConvertStatus StatusResidRead = 0x8003;   // no source bytes for the resid section
inline constexpr ConvertStatus StatusStringRead = 0x8004;  // no source bytes for the string section
inline constexpr ConvertStatus StatusBadSignature =
    0x8005;  // magic is not "duib" or version is not 5
inline constexpr ConvertStatus StatusElementCount = 0x8006;  // stream disagrees with declared count
inline constexpr ConvertStatus StatusElementRead =
    0x8007;  // no source bytes for the element section
// The rendered text would pass kMaxTextChars, or memory for the conversion ran out.
inline constexpr ConvertStatus StatusTooLarge = 0x8008;
inline constexpr ConvertStatus StatusWarnings =
    0x8FFF;  // converted; unknown names or resid mismatch

}  // namespace tamro
