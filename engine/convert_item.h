// The per-item entry points of the engine: the signature test and one conversion.
#pragma once

#include <cstdint>
#include <string>

#include "engine/item_result.h"

namespace tamro {

// ResultOk when the first five bytes read "duib" and 0x05 (letters in any case),
// ResultNotDuib otherwise. Never reads past `size`; a null blob is not DUIB.
ItemCode IsDuibBuffer(const std::uint8_t* blob, std::uint32_t size);

// Runs one conversion of the blob into `text` and records its outcome in `result`:
// `status` always; `code` 4 with the warning details for StatusWarnings, 3 for any
// other failure; `code` untouched on success. Never throws.
void ConvertItem(ItemResult& result, const std::uint8_t* blob, std::uint32_t size,
                 std::wstring& text);

}  // namespace tamro
