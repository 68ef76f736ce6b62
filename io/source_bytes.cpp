// The bytes of one item, classified by the DUIB signature test.
#include "io/source_bytes.h"

#include "duib/blob_view.h"
#include "platform/platform.h"

namespace tamro {
namespace {

ItemCode Classify(const std::uint8_t* data, std::uint32_t size) {
  return duib::IsDuibBuffer(data, size) ? ItemCode::ResultOk : ItemCode::ResultNotDuib;
}

}  // namespace

ItemCode ReadSourceFile(const std::wstring& path, std::unique_ptr<platform::WholeFile>& file) {
  file = platform::ReadWholeFile(path);
  if (!file) return ItemCode::ResultOpenFailed;
  const ByteView bytes = file->Bytes();
  return Classify(bytes.data(), bytes.size());
}

const pe::NameKey& UifileType() {
  static const pe::NameKey type = pe::KeyFromStored(L"UIFILE");
  return type;
}

ItemCode LoadResourceBytes(const platform::ResourceModule& module, const pe::NameKey& name,
                           const std::uint8_t*& data, std::uint32_t& size) {
  data = nullptr;
  size = 0;
  const pe::ResourceData found = module.Find(UifileType(), name);
  switch (found.lookup) {
    case pe::DataLookup::NotFound:
      return ItemCode::ResultNotFound;
    case pe::DataLookup::LoadFailed:
      return ItemCode::ResultLoadFailed;
    case pe::DataLookup::Found:
      break;
  }
  if (found.data == nullptr) return ItemCode::ResultLoadFailed;  // LockResource gave no pointer
  data = found.data;
  size = found.size;
  return Classify(data, size);
}

}  // namespace tamro
