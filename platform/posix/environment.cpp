// The running program, the process environment and absolute paths on Linux.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/native_text.h"

namespace tamro::platform {
namespace {

// readlink does not say how long the target is; grow until it fits.
std::optional<std::string> ReadLink(const char* path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path, buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(n));
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The value of the variable `name`, when it is defined. Names are case-sensitive; a
// name that is empty or holds '=' names no variable.
std::optional<std::wstring> LookUpVariable(std::wstring_view name) {
  if (name.empty() || name.find(L'=') != std::wstring_view::npos) return std::nullopt;
  const std::optional<std::string> nativeName = posix::EncodeNative(name);
  if (!nativeName) return std::nullopt;
  const char* value = std::getenv(nativeName->c_str());
  if (value == nullptr) return std::nullopt;
  return posix::DecodeNative(value);
}

}  // namespace

std::wstring ArgumentText(const char* bytes) {
  return posix::DecodeNative(bytes);
}

std::wstring ProgramPath() {
  try {
    const std::optional<std::string> path = ReadLink("/proc/self/exe");
    return path ? posix::DecodeNative(*path) : std::wstring();
  } catch (const std::bad_alloc&) {
    return {};
  }
}

// As ExpandEnvironmentStringsW does: a '%' opens a reference that the next '%'
// closes; a defined name is replaced by its value, an undefined one is copied with
// both its percent signs, and a '%' without a partner is copied as it stands.
// There is no length limit.
std::wstring ExpandEnvironment(const std::wstring& text) {
  try {
    std::wstring result;
    result.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t open = text.find(L'%', pos);
      const std::size_t close =
          open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
      if (close == std::wstring::npos) {
        result.append(text, pos, std::wstring::npos);
        break;
      }
      result.append(text, pos, open - pos);
      const std::wstring_view name(text.data() + open + 1, close - open - 1);
      if (const std::optional<std::wstring> value = LookUpVariable(name)) {
        result.append(*value);
      } else {
        result.append(text, open, close - open + 1);
      }
      pos = close + 1;
    }
    return result;
  } catch (const std::bad_alloc&) {
    return text;
  }
}

// realpath: the kernel resolves the symbolic links of each component before the
// ".." after it, so "link/.." is the folder above the link's target, as the kernel
// opens it. A trailing '/' stays, as GetFullPathNameW keeps a trailing backslash.
std::optional<std::wstring> FullPath(const std::wstring& path) {
  try {
    const std::optional<std::string> native = posix::EncodeNative(path);
    if (!native || native->empty()) return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(native->c_str(), nullptr),
                                                               &std::free);
    if (!resolved) return std::nullopt;
    std::wstring result = posix::DecodeNative(resolved.get());
    if (native->back() == '/' && result.back() != L'/') result.push_back(L'/');
    return result;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tamro::platform
