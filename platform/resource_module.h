// Read-only access to the resources of a Windows module (.exe, .dll, ...).
// On Windows this is the system loader (LoadLibraryExW as an image resource); on
// Linux it is our own PE reader. Both give the same answers for the same file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tamro::platform {

// The error codes the resource functions report (GetLastError on Windows).
inline constexpr std::uint32_t kErrorResourceTypeNotFound = 1813;
inline constexpr std::uint32_t kErrorResourceNameNotFound = 1814;

// A resource name as the resource functions take it: an integer identifier from
// 1 to 65535, or a string.
struct ResourceName {
  std::uint16_t id = 0;  // non-zero: an integer identifier; zero: `text` is the name
  std::wstring text;

  static ResourceName FromId(std::uint16_t value) { return ResourceName{value, {}}; }
  static ResourceName FromText(std::wstring value) { return ResourceName{0, std::move(value)}; }
  bool IsId() const { return id != 0; }
};

enum class ResourceLookup {
  Found,       // bytes point into the loaded module
  NotFound,    // FindResourceW found nothing
  LoadFailed,  // LoadResource or LockResource gave nothing
};

struct ResourceBytes {
  ResourceLookup lookup = ResourceLookup::NotFound;
  const std::uint8_t* data = nullptr;  // valid until the module is released
  std::uint32_t size = 0;
};

// One loaded module. Releasing the object releases the module (FreeLibrary).
class ResourceModule {
 public:
  virtual ~ResourceModule() = default;

  // Loads `path` as a resource image: no code of the module runs and the file is
  // never changed. Null when the file cannot be loaded as an image.
  static std::unique_ptr<ResourceModule> Load(const std::wstring& path);

  // Appends every name of `type` in the module's order (string names, then ids).
  // Returns 0, kErrorResourceTypeNotFound, or another error code.
  virtual std::uint32_t EnumNames(std::wstring_view type,
                                  std::vector<ResourceName>& names) const = 0;

  // Whether `name` of `type` exists in at least one language: 0,
  // kErrorResourceTypeNotFound, kErrorResourceNameNotFound, or another error code.
  virtual std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const = 0;

  // The bytes of `name` of `type`, in the language the loader chooses. Never copied.
  virtual ResourceBytes Find(std::wstring_view type, const ResourceName& name) const = 0;
};

}  // namespace tamro::platform
