// Existence tests, folder creation and the wild-card search on Linux.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/batch_state.h"
#include "platform/posix/native_text.h"
#include "platform/temporary_name.h"

namespace tamro::platform {
namespace {

// errno as an error; never success, so that a failure cannot read as one.
std::error_code ErrnoError(int error) {
  return std::error_code(error > 0 ? error : EIO, std::generic_category());
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// `*` matches any run of characters, `?` exactly one; everything else itself, case
// and all. Backtracks to the last `*` only, so the cost stays O(mask * name).
bool MatchesMask(std::wstring_view mask, std::wstring_view name) {
  std::size_t m = 0;
  std::size_t n = 0;
  std::size_t starMask = std::wstring_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == L'*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == L'?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (starMask != std::wstring_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == L'*') ++m;
  return m == mask.size();
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// Symbolic links count as what they point to (a link to a folder is skipped by
// the batch like the folder); a dangling link is no folder.
bool EntryIsFolder(DIR* dir, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  struct stat info {};
  return ::fstatat(::dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::wstring FileNameKey(std::wstring_view name) {
  const std::optional<std::string> bytes = posix::EncodeNative(name);
  return bytes ? posix::DecodeNative(*bytes) : std::wstring(name);
}

// `b` first: an item asks whether its output (`b`) is its source, and an output
// that does not exist yet answers without a look at the source. In a batch the
// test of `b` is kept for the output file, which would make it again next.
bool SameFile(const std::wstring& a, const std::wstring& b) {
  const std::optional<std::string> first = posix::EncodeNative(a);
  const std::optional<std::string> second = posix::EncodeNative(b);
  if (!first || !second) return false;
  posix::PathTest test;
  test.error = ::stat(second->c_str(), &test.info) == 0 ? 0 : errno;
  const bool exists = test.error == 0;
  const struct stat other = test.info;
  if (posix::BatchState* batch = posix::ActiveBatch()) {
    test.path = *second;
    batch->lastTest = std::move(test);
  }
  struct stat one {};
  return exists && ::stat(first->c_str(), &one) == 0 && one.st_dev == other.st_dev &&
         one.st_ino == other.st_ino;
}

std::error_code PathExists(const std::wstring& path) {
  const std::optional<std::string> native = posix::EncodeNative(path);
  if (!native) return std::make_error_code(std::errc::invalid_argument);
  struct stat info {};
  if (::stat(native->c_str(), &info) == 0) return {};
  return ErrnoError(errno);
}

// mkdir -p on the path as written: each prefix that ends before a '/' is made
// where the kernel resolves it, so "nosuch/../made" makes nosuch and then made
// inside its parent, and PathExists of the same text agrees with the result. A
// failure removes again, deepest first, every folder that this call made.
std::error_code EnsureFolder(const std::wstring& folder) {
  try {
    const std::optional<std::string> path = posix::EncodeNative(folder);
    if (!path) return std::make_error_code(std::errc::invalid_argument);
    if (path->empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    if (IsFolder(*path)) return {};

    std::vector<std::string> made;
    std::error_code result;
    for (std::size_t end = 1; end <= path->size() && !result; ++end) {
      end = std::min(path->find('/', end), path->size());
      if ((*path)[end - 1] == '/') continue;  // "//": no new component
      const std::string prefix = path->substr(0, end);
      if (::mkdir(prefix.c_str(), 0777) == 0) {
        made.push_back(prefix);
      } else if (errno != EEXIST) {
        result = ErrnoError(errno);
      } else if (!IsFolder(prefix)) {
        result = std::make_error_code(end == path->size() ? std::errc::file_exists
                                                          : std::errc::not_a_directory);
      }
    }
    if (result) {
      for (auto it = made.rbegin(); it != made.rend(); ++it) ::rmdir(it->c_str());
    }
    return result;
  } catch (const std::bad_alloc&) {
    return std::make_error_code(std::errc::not_enough_memory);
  }
}

std::error_code FindEntries(const std::wstring& pattern, std::vector<FoundEntry>& found) {
  found.clear();
  try {
    const std::size_t slash = pattern.rfind(L'/');
    const std::wstring folder =
        slash == std::wstring::npos ? std::wstring(L".") : pattern.substr(0, slash + 1);
    const std::wstring_view mask =
        std::wstring_view(pattern).substr(slash == std::wstring::npos ? 0 : slash + 1);
    if (mask.empty()) return {};
    const std::optional<std::string> nativeFolder = posix::EncodeNative(folder);
    if (!nativeFolder) return {};

    const std::unique_ptr<DIR, DirCloser> dir(::opendir(nativeFolder->c_str()));
    if (!dir) return {};
    // Sorted by the name's bytes, as the kernel holds them.
    std::vector<std::pair<std::string, FoundEntry>> matches;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir.get());
      if (entry == nullptr) {
        if (errno != 0) return ErrnoError(errno);
        break;
      }
      std::wstring name = posix::DecodeNative(entry->d_name);
      if (!MatchesMask(mask, name) || IsTemporaryFileName(name)) continue;
      FoundEntry result;
      result.isDirectory = EntryIsFolder(dir.get(), *entry);
      result.name = std::move(name);
      matches.emplace_back(entry->d_name, std::move(result));
    }
    std::sort(matches.begin(), matches.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    found.reserve(matches.size());
    for (auto& match : matches) found.push_back(std::move(match.second));
    return {};
  } catch (const std::bad_alloc&) {
    found.clear();
    return std::make_error_code(std::errc::not_enough_memory);
  }
}

}  // namespace tamro::platform
