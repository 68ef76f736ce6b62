#include "engine/duib_convert.h"

#include "duib/walk.h"

namespace tamro {

duib::WalkResult CDuibConvert::Convert(const std::uint8_t* blob, std::uint32_t size,
                                       OutputSink& sink) {
  const ConvertStatus status = blob_.Read(blob, size);
  if (status != ConvertStatus::Ok) return {status};
  poolBudget_ = size / 2;
  OutputWriter writer(sink, maxOutputBytes_);
  out_ = &writer;
  const duib::WalkResult walked = duib::Walk(blob_, *this);
  out_ = nullptr;
  return walked;
}

}  // namespace tamro
