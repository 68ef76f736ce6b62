// The engine's entry point for one item: one conversion, with everything the
// caller needs to know about it.
#pragma once

#include <cstdint>

#include "duib/convert_status.h"
#include "duib/walk.h"
#include "engine/output_sink.h"

namespace tamro {

// What one conversion reports: the walk's result (names rendered as placeholders,
// the resid cross-check), or a failure of the reading with nothing else. The count
// and the flag are meaningful only with ConvertStatus::Warnings.
using ConvertResult = duib::WalkResult;

// Converts the blob with a converter of its own, its output bytes streamed into
// `sink` (blob strings through `encode`). A failure of the reading phase writes
// nothing. Throws std::bad_alloc when memory runs out; the item boundary catches
// it.
ConvertResult ConvertBlob(const std::uint8_t* blob, std::uint32_t size, StringEncoder encode,
                          OutputSink& sink);

}  // namespace tamro
