// Existence tests and folder creation inside the WOW64 bracket, and the wild-card
// search, on Windows.
#include <shlobj.h>
#include <shlwapi.h>

#include <new>
#include <optional>
#include <string>
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

// The WOW64 bracket: file-system redirection is off while `test` runs, under WOW64
// only. A failure to switch it off returns at once; a failure to switch it back
// replaces the test's result.
template <class Test>
std::uint32_t WithoutRedirection(Test test) {
  const bool wow64 = RunsUnderWow64();
  PVOID previous = nullptr;
  if (wow64 && !Wow64DisableWow64FsRedirection(&previous)) return GetLastError();
  const std::uint32_t result = test();
  if (wow64 && !Wow64RevertWow64FsRedirection(previous)) return GetLastError();
  return result;
}

bool HoldsNul(const std::wstring& text) {
  return text.find(L'\0') != std::wstring::npos;
}

}  // namespace

std::uint32_t PathExists(const std::wstring& path) {
  if (HoldsNul(path)) return ERROR_INVALID_NAME;
  return WithoutRedirection([&]() -> std::uint32_t {
    if (PathFileExistsW(path.c_str())) return 0;
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_FILE_NOT_FOUND;  // "missing" must never read as 0
  });
}

// SHCreateDirectoryExW takes only absolute paths with backslashes, which
// GetFullPathNameW makes.
std::uint32_t EnsureFolder(const std::wstring& folder) {
  if (HoldsNul(folder)) return ERROR_INVALID_NAME;
  return WithoutRedirection([&]() -> std::uint32_t {
    if (PathIsDirectoryW(folder.c_str())) return 0;
    const std::optional<std::wstring> absolute = FullPath(folder);
    if (!absolute) return ERROR_BAD_PATHNAME;
    const int result = SHCreateDirectoryExW(nullptr, absolute->c_str(), nullptr);
    return static_cast<std::uint32_t>(result);
  });
}

std::vector<FoundEntry> FindEntries(const std::wstring& pattern) {
  std::vector<FoundEntry> found;
  if (pattern.size() >= MAX_PATH || HoldsNul(pattern)) return found;
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  try {
    do {
      if (IsTemporaryFileName(data.cFileName)) continue;  // another run's output being written
      FoundEntry entry;
      entry.name = data.cFileName;
      entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      found.push_back(std::move(entry));
    } while (FindNextFileW(search, &data));
  } catch (const std::bad_alloc&) {
    found.clear();
  }
  FindClose(search);
  return found;
}

}  // namespace tamro::platform
