// ResourceModule on Windows: the system loader itself, with the module loaded as
// an image resource (no code runs, the file is never changed).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/resource_module.h"

namespace tamro::platform {

namespace {

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
      names.push_back(ResourceName::FromText(name));
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
// success.
std::uint32_t FailureCode() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<std::uint32_t>(error) : ERROR_GEN_FAILURE;
}

class Win32ResourceModule final : public ResourceModule {
 public:
  explicit Win32ResourceModule(HMODULE module) : module_(module) {}
  Win32ResourceModule(const Win32ResourceModule&) = delete;
  Win32ResourceModule& operator=(const Win32ResourceModule&) = delete;
  ~Win32ResourceModule() override { FreeLibrary(module_); }

  std::uint32_t EnumNames(std::wstring_view type, std::vector<ResourceName>& names) const override {
    const std::wstring typeText(type);
    if (!EnumResourceNamesW(module_, typeText.c_str(), AppendName,
                            reinterpret_cast<LONG_PTR>(&names))) {
      return FailureCode();
    }
    return 0;
  }

  std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const override {
    const std::wstring typeText(type);
    if (!EnumResourceLanguagesW(module_, typeText.c_str(), NameArgument(name), IgnoreLanguage, 0)) {
      return FailureCode();
    }
    return 0;
  }

  ResourceBytes Find(std::wstring_view type, const ResourceName& name) const override {
    ResourceBytes bytes;
    const std::wstring typeText(type);
    HRSRC found = FindResourceW(module_, NameArgument(name), typeText.c_str());
    if (found == nullptr) return bytes;
    bytes.lookup = ResourceLookup::LoadFailed;
    HGLOBAL loaded = LoadResource(module_, found);
    if (loaded == nullptr) return bytes;
    const void* locked = LockResource(loaded);
    if (locked == nullptr) return bytes;
    bytes.lookup = ResourceLookup::Found;
    bytes.data = static_cast<const std::uint8_t*>(locked);
    bytes.size = static_cast<std::uint32_t>(SizeofResource(module_, found));
    return bytes;
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return nullptr;
  try {
    return std::make_unique<Win32ResourceModule>(module);
  } catch (const std::bad_alloc&) {
    FreeLibrary(module);
    return nullptr;
  }
}

}  // namespace tamro::platform
