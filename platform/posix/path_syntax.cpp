// Path syntax on Linux: '/' separates, and a leading '/' is the root.
#include "platform/platform.h"

namespace tamro::platform {

wchar_t PathSeparator() {
  return L'/';
}

bool IsPathSeparator(wchar_t c) {
  return c == L'/';
}

std::size_t PathRootLength(std::wstring_view path) {
  return (!path.empty() && path.front() == L'/') ? 1 : 0;
}

}  // namespace tamro::platform
