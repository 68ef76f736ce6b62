// Path syntax on Windows: '\\' joins, '\\' and '/' separate; the roots are those
// that PathSkipRootW knows (drive, rooted path, UNC share).
#include "platform/platform.h"

namespace tamro::platform {
namespace {

bool IsDriveLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

wchar_t PathSeparator() {
  return L'\\';
}

bool IsPathSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

std::size_t PathRootLength(std::wstring_view path) {
  const auto separatorFrom = [&](std::size_t from) {
    for (std::size_t i = from; i < path.size(); ++i) {
      if (IsPathSeparator(path[i])) return i;
    }
    return std::wstring_view::npos;
  };
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
    // "\\server\share\" (also "\\?\C:\"): the share and its separator belong to the root.
    const std::size_t serverEnd = separatorFrom(2);
    if (serverEnd == std::wstring_view::npos) return path.size();
    const std::size_t shareEnd = separatorFrom(serverEnd + 1);
    return shareEnd == std::wstring_view::npos ? path.size() : shareEnd + 1;
  }
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
    return (path.size() >= 3 && IsPathSeparator(path[2])) ? 3 : 2;
  }
  return (!path.empty() && IsPathSeparator(path[0])) ? 1 : 0;
}

}  // namespace tamro::platform
