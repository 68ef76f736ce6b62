#include "engine/convert_blob.h"

#include "engine/duib_convert.h"

namespace tamro {

ConvertResult ConvertBlob(const std::uint8_t* blob, std::uint32_t size, StringEncoder encode,
                          OutputSink& sink) {
  CDuibConvert converter(encode);
  ConvertResult result;
  result.status = converter.Convert(blob, size, sink);
  result.unknownCount = converter.UnknownCount();
  result.residFailed = converter.ResidCheckFailed();
  return result;
}

}  // namespace tamro
