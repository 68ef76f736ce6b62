// The path helpers, as pure string logic over the platform's path
// syntax (so the Windows semantics hold with '\\' on Windows and '/' on Linux).
#include "io/paths.h"

#include "platform/platform.h"

namespace tamro {
namespace {

bool EndsWithSeparator(std::wstring_view path) {
  return !path.empty() && platform::IsPathSeparator(path.back());
}

// The drive colon of "C:" counts as a separator for FileNameOfPath, as in
// PathFindFileNameW; where the platform has no drives the root never spans it.
bool IsDriveColon(std::wstring_view path, std::size_t index) {
  return index == 1 && path[1] == L':' && platform::PathRootLength(path) >= 2;
}

}  // namespace

std::wstring ProgramFolder() {
  const std::wstring program = platform::ProgramPath();
  if (program.empty()) return {};
  return FolderOfPath(program);
}

std::wstring AddBackslash(std::wstring path) {
  if (!path.empty() && !EndsWithSeparator(path)) path.push_back(platform::PathSeparator());
  return path;
}

std::wstring RemoveBackslash(std::wstring path) {
  if (EndsWithSeparator(path) && path.size() > platform::PathRootLength(path)) path.pop_back();
  return path;
}

// PathRemoveFileSpecW then PathAddBackslashW: everything before the last separator
// that lies beyond the root; the root alone when there is none; nothing when the
// path has no root and no separator.
std::wstring FolderOfPath(std::wstring_view path) {
  const std::size_t root = platform::PathRootLength(path);
  std::size_t folderEnd = root;
  for (std::size_t i = path.size(); i > root; --i) {
    if (platform::IsPathSeparator(path[i - 1])) {
      folderEnd = (i - 1 > root) ? i - 1 : root;
      break;
    }
  }
  return AddBackslash(std::wstring(path.substr(0, folderEnd)));
}

// PathFindFileNameW: the text after the last separator that is followed by more
// text, so a trailing separator stays with its component ("dir/" gives "dir/").
std::wstring FileNameOfPath(std::wstring_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < path.size(); ++i) {
    if ((platform::IsPathSeparator(path[i]) || IsDriveColon(path, i)) &&
        !platform::IsPathSeparator(path[i + 1])) {
      start = i + 1;
    }
  }
  return std::wstring(path.substr(start));
}

// PathFindExtensionW finds the last '.' after the last separator and space; the
// new extension replaces the text from there, or is appended when there is none.
std::wstring RenameExtension(std::wstring_view name, std::wstring_view extension) {
  std::size_t dot = std::wstring_view::npos;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (platform::IsPathSeparator(name[i]) || name[i] == L' ') {
      dot = std::wstring_view::npos;
    } else if (name[i] == L'.') {
      dot = i;
    }
  }
  std::wstring result(name.substr(0, dot == std::wstring_view::npos ? name.size() : dot));
  if (extension.empty() || extension.front() != L'.') result.push_back(L'.');
  result.append(extension);
  return result;
}

}  // namespace tamro
