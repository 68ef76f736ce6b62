// The bytes of one item, classified by the DUIB signature test.
#include "io/source_bytes.h"

#include "engine/convert_blob.h"
#include "platform/platform.h"

namespace tamro {
namespace {

ItemCode Classify(const std::uint8_t* data, std::uint32_t size) {
  return IsDuibBuffer(data, size) ? ResultOk : ResultNotDuib;
}

}  // namespace

ItemCode ReadSourceFile(const std::wstring& path, std::vector<std::uint8_t>& buffer) {
  if (platform::ReadWholeFile(path, buffer) != platform::ReadOutcome::Ok) return ResultOpenFailed;
  // ReadWholeFile refuses files of 2 GiB or more, so the count fits.
  return Classify(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
}

ItemCode LoadResourceBytes(const platform::ResourceModule& module,
                           const platform::ResourceName& name, const std::uint8_t*& data,
                           std::uint32_t& size) {
  data = nullptr;
  size = 0;
  const platform::ResourceBytes found = module.Find(L"UIFILE", name);
  switch (found.lookup) {
    case platform::ResourceLookup::NotFound:
      return ResultNotFound;
    case platform::ResourceLookup::LoadFailed:
      return ResultLoadFailed;
    case platform::ResourceLookup::Found:
      break;
  }
  if (found.data == nullptr) return ResultLoadFailed;  // LockResource gave no pointer
  data = found.data;
  size = found.size;
  return Classify(data, size);
}

}  // namespace tamro
