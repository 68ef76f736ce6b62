#include "engine/convert_blob.h"

#include <iterator>

#include "engine/ascii_case.h"
#include "engine/duib_convert.h"

namespace tamro {

bool IsDuibBuffer(const std::uint8_t* blob, std::uint32_t size) {
  static constexpr std::uint8_t kSignature[] = {'d', 'u', 'i', 'b', 0x05};
  if (blob == nullptr || size < std::size(kSignature)) return false;
  for (std::size_t i = 0; i < std::size(kSignature); ++i) {
    if (FoldAsciiCase(blob[i]) != kSignature[i]) return false;
  }
  return true;
}

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
