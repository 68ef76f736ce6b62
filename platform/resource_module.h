// Read-only access to the resources of a Windows module (.exe, .dll, ...).
// On Windows this is the system loader (LoadLibraryExW as an image resource); on
// Linux it is our own PE reader (pe/). Both give the same answers for the same
// file, and on Windows the reader checks what the loader hands back.
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

// A resource name as the resource functions take it. A name typed by the user
// ("#123" is the id 123 there) and a string name handed over by an enumeration
// (only ever that string) differ, so that every enumerated resource keeps its own
// identity.
struct ResourceName {
  enum class Kind { Id, Typed, Stored };
  std::uint16_t id = 0;  // Kind::Id: an integer identifier, 0 included
  std::wstring text;     // Typed and Stored
  Kind kind = Kind::Typed;

  static ResourceName FromId(std::uint16_t value) { return ResourceName{value, {}, Kind::Id}; }
  static ResourceName FromText(std::wstring value) {
    return ResourceName{0, std::move(value), Kind::Typed};
  }
  static ResourceName FromStored(std::wstring value) {
    return ResourceName{0, std::move(value), Kind::Stored};
  }
  bool IsId() const { return kind == Kind::Id; }
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

  // Appends every name of `type` in the module's order (string names, then ids),
  // ids as Kind::Id and string names as Kind::Stored, as the API hands them over
  // (up to the first U+0000). Returns 0, kErrorResourceTypeNotFound, or another
  // error code.
  virtual std::uint32_t EnumNames(std::wstring_view type,
                                  std::vector<ResourceName>& names) const = 0;

  // Whether `name` of `type` exists in at least one language: 0,
  // kErrorResourceTypeNotFound, kErrorResourceNameNotFound, or another error code.
  virtual std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const = 0;

  // The bytes of `name` of `type`, in the language the loader chooses, checked to
  // lie inside the module's image; LoadFailed where they do not.
  virtual ResourceBytes Find(std::wstring_view type, const ResourceName& name) const = 0;
};

}  // namespace tamro::platform
