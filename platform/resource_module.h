// Read-only access to the resources of a Windows module (.exe, .dll, ...), in the
// pe/ reader's terms: keys to look names up by, names as an enumeration hands them
// over, and the bytes found. On Windows the system loader answers (LoadLibraryExW
// as an image resource), checked by the pe/ reader; on Linux the reader itself.
// Both give the same answers for the same file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pe/resource_error.h"
#include "pe/resource_names.h"
#include "pe/resource_reader.h"

namespace tamro::platform {

// How a question about a module's names was answered.
enum class ResourceStatus {
  Ok,
  TypeNotFound,  // the module has no resource of that type
  NameNotFound,  // the type is there, the name is not
  Failed,        // any other failure
};

// The answer to a failure of the resource calls.
ResourceStatus StatusOf(pe::ResourceError error);

// One loaded module. Releasing the object releases the module (FreeLibrary).
class ResourceModule {
 public:
  virtual ~ResourceModule() = default;

  // Loads `path` as a resource image: no code of the module runs and the file is
  // never changed. Null when the file cannot be loaded as an image.
  static std::unique_ptr<ResourceModule> Load(const std::wstring& path);

  // Appends every name of `type` in the module's order (string names, then ids),
  // string names as the API hands them over (up to the first U+0000).
  virtual ResourceStatus EnumNames(const pe::NameKey& type,
                                   std::vector<pe::EnumeratedName>& names) const = 0;

  // Whether `name` of `type` exists in at least one language.
  virtual ResourceStatus CheckName(const pe::NameKey& type, const pe::NameKey& name) const = 0;

  // The bytes of `name` of `type`, in the language the loader chooses, checked to
  // lie inside the module's image (LoadFailed where they do not); they stay valid
  // until the module is released.
  virtual pe::ResourceData Find(const pe::NameKey& type, const pe::NameKey& name) const = 0;

  // True once bytes of the module file that tamro holds could not be read any
  // more (on Windows an in-page error of its mapping): bytes found since may be
  // zeros in their place. Never for a copy.
  virtual bool Lost() const { return false; }
};

}  // namespace tamro::platform
