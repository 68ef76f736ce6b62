// Existence tests and folder creation inside the WOW64 bracket, and the wild-card
// search, on Windows.
#include <shlobj.h>
#include <shlwapi.h>

#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"
#include "platform/temporary_name.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {
namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

// IsWow64Process is looked up at run time, as older systems lack it.
bool RunsUnderWow64() {
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32");
  if (kernel32 == nullptr) return false;
  // Through a generic function pointer, which every function pointer type may be cast to.
  const auto generic = reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "IsWow64Process"));
  if (generic == nullptr) return false;
  const auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(generic);
  BOOL wow64 = FALSE;
  return isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::error_code SystemError(DWORD error) {
  return std::error_code(static_cast<int>(error), std::system_category());
}

// The last error of a call that failed, or `fallback` where the call set none:
// a failure must never read as success.
std::error_code LastError(DWORD fallback) {
  const DWORD error = GetLastError();
  return SystemError(error != 0 ? error : fallback);
}

// The WOW64 bracket: file-system redirection is off while `test` runs, under WOW64
// only. A failure to switch it off returns at once; a failure to switch it back
// replaces the test's result.
template <class Test>
std::error_code WithoutRedirection(Test test) {
  const bool wow64 = RunsUnderWow64();
  PVOID previous = nullptr;
  if (wow64 && !Wow64DisableWow64FsRedirection(&previous)) return LastError(ERROR_GEN_FAILURE);
  const std::error_code result = test();
  if (wow64 && !Wow64RevertWow64FsRedirection(previous)) return LastError(ERROR_GEN_FAILURE);
  return result;
}

bool HoldsNul(const std::wstring& text) {
  return text.find(L'\0') != std::wstring::npos;
}

}  // namespace

// The invariant upper case, as the file system's own table folds names.
std::wstring FileNameKey(std::wstring_view name) {
  if (name.empty() || name.size() > 0x7FFFFFFF) return std::wstring(name);
  const int length = static_cast<int>(name.size());
  std::wstring key(name.size(), L'\0');
  const int made = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(), length,
                                 key.data(), length, nullptr, nullptr, 0);
  if (made != length) return std::wstring(name);
  return key;
}

// The volume and the file index name a file, whatever path leads to it.
bool SameFile(const std::wstring& a, const std::wstring& b) {
  const auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    if (HoldsNul(path)) return false;
    const HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION one{};
  BY_HANDLE_FILE_INFORMATION other{};
  return identity(a, one) && identity(b, other) &&
         one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
         one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

std::error_code PathExists(const std::wstring& path) {
  if (HoldsNul(path)) return SystemError(ERROR_INVALID_NAME);
  return WithoutRedirection([&]() -> std::error_code {
    if (PathFileExistsW(path.c_str())) return {};
    return LastError(ERROR_FILE_NOT_FOUND);
  });
}

// SHCreateDirectoryExW takes only absolute paths with backslashes, which
// GetFullPathNameW makes.
std::error_code EnsureFolder(const std::wstring& folder) {
  if (HoldsNul(folder)) return SystemError(ERROR_INVALID_NAME);
  return WithoutRedirection([&]() -> std::error_code {
    if (PathIsDirectoryW(folder.c_str())) return {};
    const std::optional<std::wstring> absolute = FullPath(folder);
    if (!absolute) return SystemError(ERROR_BAD_PATHNAME);
    const int result = SHCreateDirectoryExW(nullptr, absolute->c_str(), nullptr);
    return result == ERROR_SUCCESS ? std::error_code() : SystemError(static_cast<DWORD>(result));
  });
}

std::error_code FindEntries(const std::wstring& pattern, std::vector<FoundEntry>& found) {
  found.clear();
  if (pattern.size() >= MAX_PATH || HoldsNul(pattern)) return {};
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::error_code error;
  try {
    do {
      if (IsTemporaryFileName(data.cFileName)) continue;  // another run's output being written
      FoundEntry entry;
      entry.name = data.cFileName;
      entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      found.push_back(std::move(entry));
    } while (FindNextFileW(search, &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) error = LastError(ERROR_GEN_FAILURE);
  } catch (const std::bad_alloc&) {
    error = SystemError(ERROR_NOT_ENOUGH_MEMORY);
  }
  FindClose(search);
  if (error) found.clear();
  return error;
}

}  // namespace tamro::platform
