// ResourceModule on Windows: the system loader itself, with the module loaded as
// an image resource (no code runs, the file is never changed). Nothing that the
// loader hands back is read before it is checked against the module's image, and
// the pe/ reader run over the module file vetoes the calls that would lead the
// loader outside the image (docs/resources.md).
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pe/resource_reader.h"
#include "platform/resource_keys.h"
#include "platform/resource_module.h"
#include "platform/win32/module_image.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {

namespace {

using win32::ModuleImage;

// The name enumeration callback: appends one name and goes on. A name that cannot
// be stored is left out and the enumeration continues; no exception may cross
// the system's frames.
BOOL CALLBACK AppendName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto& names = *reinterpret_cast<std::vector<ResourceName>*>(param);
  try {
    if (IS_INTRESOURCE(name)) {
      names.push_back(ResourceName::FromId(
          static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name) & 0xFFFF)));
    } else {
      names.push_back(ResourceName::FromStored(name));
    }
  } catch (...) {
  }
  return TRUE;
}

// The language callback: EnumResourceLanguagesW serves as an existence test only.
BOOL CALLBACK IgnoreLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR) {
  return TRUE;
}

LPCWSTR NameArgument(const ResourceName& name) {
  return name.IsId() ? MAKEINTRESOURCEW(name.id) : name.text.c_str();
}

// The last error of a call that failed; never 0, so that a failure cannot read as
// success. The calls start with a cleared error, so no earlier one shows through.
std::uint32_t FailureCode() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<std::uint32_t>(error) : ERROR_GEN_FAILURE;
}

class Win32ResourceModule final : public ResourceModule {
 public:
  Win32ResourceModule(HMODULE module, std::vector<std::uint8_t> file)
      : module_(module), image_(module), file_(std::move(file)) {
    reader_ =
        pe::ResourceReader::Parse(ByteView(file_.data(), static_cast<std::uint32_t>(file_.size())));
  }
  Win32ResourceModule(const Win32ResourceModule&) = delete;
  Win32ResourceModule& operator=(const Win32ResourceModule&) = delete;
  ~Win32ResourceModule() override { FreeLibrary(module_); }

  std::uint32_t EnumNames(std::wstring_view type, std::vector<ResourceName>& names) const override {
    std::vector<pe::EnumeratedName> ignored;
    if (reader_ && reader_->EnumNames(TypeKey(type), ignored) == pe::kErrorNoAccess) {
      return pe::kErrorNoAccess;
    }
    const std::wstring typeText(type);
    SetLastError(0);
    if (!EnumResourceNamesW(module_, typeText.c_str(), AppendName,
                            reinterpret_cast<LONG_PTR>(&names))) {
      return FailureCode();
    }
    return 0;
  }

  std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const override {
    if (reader_ && reader_->CheckName(TypeKey(type), KeyOf(name)) == pe::kErrorNoAccess) {
      return pe::kErrorNoAccess;
    }
    const std::wstring typeText(type);
    SetLastError(0);
    if (!EnumResourceLanguagesW(module_, typeText.c_str(), NameArgument(name), IgnoreLanguage, 0)) {
      return FailureCode();
    }
    return 0;
  }

  ResourceBytes Find(std::wstring_view type, const ResourceName& name) const override;

 private:
  ResourceBytes FromEntry(const pe::ResourceData& data) const;
  ResourceBytes Checked(const void* data, std::uint64_t size) const;

  HMODULE module_;
  ModuleImage image_;
  std::vector<std::uint8_t> file_;
  std::unique_ptr<pe::ResourceReader> reader_;
};

ResourceBytes Win32ResourceModule::Checked(const void* data, std::uint64_t size) const {
  ResourceBytes bytes;
  bytes.lookup = ResourceLookup::LoadFailed;
  if (data == nullptr || !image_.MayRead(data, size)) return bytes;
  bytes.lookup = ResourceLookup::Found;
  bytes.data = static_cast<const std::uint8_t*>(data);
  bytes.size = static_cast<std::uint32_t>(size);
  return bytes;
}

// A stored name that begins with '#' cannot be passed to the loader, which would
// read it as an identifier: its data entry, as the reader found it in the file,
// names its bytes in the image instead.
ResourceBytes Win32ResourceModule::FromEntry(const pe::ResourceData& data) const {
  ResourceBytes bytes;
  if (data.lookup == pe::DataLookup::NotFound) return bytes;
  bytes.lookup = ResourceLookup::LoadFailed;
  if (data.lookup != pe::DataLookup::Found || image_.Base() == nullptr) return bytes;
  if (data.rva > image_.Size()) return bytes;
  return Checked(image_.Base() + data.rva, data.size);
}

ResourceBytes Win32ResourceModule::Find(std::wstring_view type, const ResourceName& name) const {
  ResourceBytes bytes;
  if (reader_) {
    const pe::ResourceData data = reader_->Find(TypeKey(type), KeyOf(name));
    if (name.kind == ResourceName::Kind::Stored && !name.text.empty() && name.text[0] == L'#') {
      return FromEntry(data);
    }
    if (data.lookup == pe::DataLookup::LoadFailed) {
      bytes.lookup = ResourceLookup::LoadFailed;
      return bytes;
    }
  }
  const std::wstring typeText(type);
  HRSRC found = FindResourceW(module_, NameArgument(name), typeText.c_str());
  if (found == nullptr) return bytes;
  // The handle is the data entry in the image: LoadResource and SizeofResource read it.
  bytes.lookup = ResourceLookup::LoadFailed;
  if (!image_.MayRead(found, sizeof(IMAGE_RESOURCE_DATA_ENTRY))) return bytes;
  HGLOBAL loaded = LoadResource(module_, found);
  if (loaded == nullptr) return bytes;
  const void* locked = LockResource(loaded);
  return Checked(locked, SizeofResource(module_, found));
}

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return nullptr;
  try {
    std::vector<std::uint8_t> file;
    if (!win32::ReadModuleBytes(path, file)) file.clear();  // no veto: the checks remain
    return std::make_unique<Win32ResourceModule>(module, std::move(file));
  } catch (const std::bad_alloc&) {
    FreeLibrary(module);
    return nullptr;
  }
}

}  // namespace tamro::platform
