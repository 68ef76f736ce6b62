#include "engine/convert_blob.h"

#include "engine/duib_convert.h"

namespace tamro {

ConvertResult ConvertBlob(const std::uint8_t* blob, std::uint32_t size, StringEncoder encode,
                          OutputSink& sink) {
  return CDuibConvert(encode).Convert(blob, size, sink);
}

}  // namespace tamro
