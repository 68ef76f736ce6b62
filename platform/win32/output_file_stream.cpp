// An output file written piece by piece into a temporary file beside its target,
// which MoveFileExW puts in its place only once complete. MoveFileExW refuses a
// read-only target or one that another process holds open, which leaves it as it
// was.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {
namespace {

constexpr std::size_t kMaxPathChars = MAX_PATH - 1;  // 259: MAX_PATH with its terminating zero

// GetFullPathNameW into a buffer of MAX_PATH characters, or nothing.
std::optional<std::wstring> ShortFullPath(const std::wstring& path) {
  if (path.size() > kMaxPathChars || path.find(L'\0') != std::wstring::npos) return std::nullopt;
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n > kMaxPathChars) return std::nullopt;
  return std::wstring(buffer, n);
}

// "\\?\" lifts MAX_PATH for the temporary name, which may be longer than the target's.
std::wstring ExtendedLength(const std::wstring& absolute) {
  if (absolute.rfind(L"\\\\?\\", 0) == 0) return absolute;
  if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
  return L"\\\\?\\" + absolute;
}

std::wstring TemporaryName(const std::wstring& folder) {
  static std::uint64_t counter = 0;
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  std::uint64_t x = (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
                    static_cast<std::uint64_t>(now.QuadPart) ^ (++counter * 0x9E3779B97F4A7C15u);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 29;
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex(16, L'0');
  for (std::size_t i = 16; i-- > 0; x >>= 4) hex[i] = kDigits[x & 0xF];
  return ExtendedLength(folder + L"~tamro-" + hex + L".tmp");
}

class Win32OutputFile final : public OutputFile {
 public:
  Win32OutputFile(HANDLE file, std::wstring temporary, std::wstring target)
      : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}
  ~Win32OutputFile() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    if (!committed_) DeleteFileW(temporary_.c_str());
  }

  bool Write(std::string_view bytes) override {
    while (ok_ && !bytes.empty()) {
      const DWORD chunk =
          bytes.size() < (DWORD{1} << 30) ? static_cast<DWORD>(bytes.size()) : (DWORD{1} << 30);
      DWORD written = 0;
      ok_ = WriteFile(file_, bytes.data(), chunk, &written, nullptr) && written > 0;
      if (ok_) bytes.remove_prefix(written);
    }
    return ok_;
  }

  bool Commit() override {
    if (!ok_ || committed_) return false;
    const HANDLE file = file_;
    file_ = INVALID_HANDLE_VALUE;
    committed_ = CloseHandle(file) &&
                 MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING);
    ok_ = committed_;
    return committed_;
  }

 private:
  HANDLE file_;
  std::wstring temporary_;
  std::wstring target_;
  bool ok_ = true;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Create(const std::wstring& path) {
  const std::optional<std::wstring> absolute = ShortFullPath(path);
  if (!absolute || absolute->empty() || IsPathSeparator(absolute->back())) return nullptr;
  std::size_t nameStart = absolute->size();
  while (nameStart > 0 && !IsPathSeparator((*absolute)[nameStart - 1])) --nameStart;
  // MoveFileExW refuses these on Windows; said here too, for emulations that do not.
  const DWORD existing = GetFileAttributesW(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES &&
      (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return nullptr;
  }
  // Inheritable handles with no security descriptor, as the source files get.
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring temporary = TemporaryName(absolute->substr(0, nameStart));
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return std::make_unique<Win32OutputFile>(file, std::move(temporary),
                                               ExtendedLength(*absolute));
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return nullptr;
  }
  return nullptr;
}

}  // namespace tamro::platform
