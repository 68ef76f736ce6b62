// Reading a whole source file and replacing a whole output file on Windows.
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {
namespace {

constexpr std::size_t kMaxPathChars = MAX_PATH - 1;  // 259: MAX_PATH with its terminating zero
constexpr LONGLONG kMaxSourceBytes = 0x7FFFFFFF;     // below 2 GiB, a signed 32-bit length

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_;
};

// GetFullPathNameW into a buffer of MAX_PATH characters: the absolute form, or
// nothing when it fails or does not fit with its terminating zero.
std::optional<std::wstring> ShortFullPath(const std::wstring& path) {
  if (path.size() > kMaxPathChars || path.find(L'\0') != std::wstring::npos) return std::nullopt;
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n > kMaxPathChars) return std::nullopt;
  return std::wstring(buffer, n);
}

// The handles are inheritable with no security descriptor, as the program makes them.
SECURITY_ATTRIBUTES InheritableHandle() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

bool ReadFully(HANDLE file, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t rest = size - done;
    const DWORD chunk = rest < (DWORD{1} << 30) ? static_cast<DWORD>(rest) : (DWORD{1} << 30);
    DWORD read = 0;
    if (!ReadFile(file, data + done, chunk, &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

bool WriteFully(HANDLE file, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t rest = size - done;
    const DWORD chunk = rest < (DWORD{1} << 30) ? static_cast<DWORD>(rest) : (DWORD{1} << 30);
    DWORD written = 0;
    if (!WriteFile(file, data + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// "\\?\" lifts MAX_PATH for the temporary name, which may be longer than the target's.
std::wstring ExtendedLength(const std::wstring& absolute) {
  if (absolute.rfind(L"\\\\?\\", 0) == 0) return absolute;
  if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
  return L"\\\\?\\" + absolute;
}

std::wstring Hex(std::uint64_t value) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text(16, L'0');
  for (std::size_t i = 16; i-- > 0; value >>= 4) text[i] = kDigits[value & 0xF];
  return text;
}

std::uint64_t NextTemporaryNumber() {
  static std::uint64_t counter = 0;
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  std::uint64_t x = (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
                    static_cast<std::uint64_t>(now.QuadPart) ^ (++counter * 0x9E3779B97F4A7C15u);
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBu;
  x ^= x >> 31;
  return x;
}

}  // namespace

// The path and its absolute form below MAX_PATH, then read access
// only and no sharing while the file is open.
ReadOutcome ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t>().swap(bytes);
  try {
    if (!ShortFullPath(path)) return ReadOutcome::OpenFailed;
    SECURITY_ATTRIBUTES attributes = InheritableHandle();
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, 0, &attributes, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return ReadOutcome::OpenFailed;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxSourceBytes) {
      return ReadOutcome::OpenFailed;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    if (!ReadFully(file.get(), bytes.data(), bytes.size())) {
      std::vector<std::uint8_t>().swap(bytes);
      return ReadOutcome::OpenFailed;
    }
    return ReadOutcome::Ok;
  } catch (const std::bad_alloc&) {
    std::vector<std::uint8_t>().swap(bytes);
    return ReadOutcome::OpenFailed;
  }
}

// The output path's length limits; the bytes go to a new file beside the target that
// MoveFileExW puts in its place only when all of them were written. MoveFileExW
// refuses a read-only target or one that another process holds open, which leaves
// it as it was.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  try {
    const std::optional<std::wstring> absolute = ShortFullPath(path);
    if (!absolute || absolute->empty() || IsPathSeparator(absolute->back())) return false;
    std::size_t nameStart = absolute->size();
    while (nameStart > 0 && !IsPathSeparator((*absolute)[nameStart - 1])) --nameStart;
    const std::wstring folder = absolute->substr(0, nameStart);
    // MoveFileExW refuses these on Windows; said here too, for emulations that do not.
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      return false;
    }

    SECURITY_ATTRIBUTES attributes = InheritableHandle();
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
      temporary = ExtendedLength(folder + L"~tamro-" + Hex(NextTemporaryNumber()) + L".tmp");
      created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    Handle file(created);
    if (!file.valid()) return false;
    const bool stored = WriteFully(file.get(), bytes.data(), bytes.size()) && file.Close() &&
                        MoveFileExW(temporary.c_str(), ExtendedLength(*absolute).c_str(),
                                    MOVEFILE_REPLACE_EXISTING);
    if (!stored) {
      if (file.valid()) file.Close();
      DeleteFileW(temporary.c_str());
    }
    return stored;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamro::platform
