#include "engine/convert_item.h"

#include <new>

#include "engine/convert_status.h"
#include "engine/duib_convert.h"

namespace tamro {

ItemCode IsDuibBuffer(const std::uint8_t* blob, std::uint32_t size) {
  static constexpr std::uint8_t kSignature[5] = {'d', 'u', 'i', 'b', 0x05};
  if (blob == nullptr || size < 5) return ResultNotDuib;
  for (std::size_t i = 0; i < 5; ++i) {
    std::uint8_t c = blob[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<std::uint8_t>(c - 'A' + 'a');
    if (c != kSignature[i]) return ResultNotDuib;
  }
  return ResultOk;
}

void ConvertItem(ItemResult& result, const std::uint8_t* blob, std::uint32_t size,
                 std::wstring& text) {
  ConvertStatus status = StatusOk;
  std::uint32_t unknownCount = 0;
  bool residFailed = false;
  try {
    CDuibConvert converter;
    status = converter.Convert(blob, size, text);
    unknownCount = converter.UnknownCount();
    residFailed = converter.ResidCheckFailed();
  } catch (const std::bad_alloc&) {
    // Memory ran out while building a table or the text: the item fails, the
    // batch goes on.
    std::wstring().swap(text);
    status = StatusTooLarge;
  }

  result.status = status;
  if (status == StatusWarnings) {
    result.code = ResultWarnings;
    result.unknownCount = unknownCount;
    result.residFailed = residFailed;
  } else if (status != StatusOk) {
    result.code = ResultConvertFailed;
  }
}

}  // namespace tamro
