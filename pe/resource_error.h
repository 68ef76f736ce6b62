// How the resource calls fail, with the values that GetLastError gives for the
// same failures on Windows: the one place these numbers are written down.
#pragma once

#include <cstdint>

namespace tamro::pe {

enum class ResourceError : std::uint32_t {
  None = 0,
  GenFailure = 31,        // ERROR_GEN_FAILURE: a type without names, a name without languages
  InvalidParameter = 87,  // ERROR_INVALID_PARAMETER: "#" and a number past 0xFFFF
  NoAccess = 998,         // ERROR_NOACCESS: the directory leads outside the image
  TypeNotFound = 1813,    // ERROR_RESOURCE_TYPE_NOT_FOUND
  NameNotFound = 1814,    // ERROR_RESOURCE_NAME_NOT_FOUND
};

}  // namespace tamro::pe
