#include "platform/resource_module.h"

namespace tamro::platform {

ResourceStatus StatusOf(pe::ResourceError error) {
  switch (error) {
    case pe::ResourceError::None:
      return ResourceStatus::Ok;
    case pe::ResourceError::TypeNotFound:
      return ResourceStatus::TypeNotFound;
    case pe::ResourceError::NameNotFound:
      return ResourceStatus::NameNotFound;
    default:
      return ResourceStatus::Failed;
  }
}

}  // namespace tamro::platform
