// Source files opened for reading and held whole, and output files written beside
// their target and moved over it, on Windows.
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/source_file.h"
#include "platform/temporary_name.h"
#include "platform/win32/mapped_view.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {
namespace {

constexpr std::size_t kMaxPathChars = MAX_PATH - 1;  // 259: MAX_PATH with its terminating zero
constexpr DWORD kMaxChunk = DWORD{1} << 30;
// Smaller files are read: a mapping costs more calls than it saves them.
constexpr std::uint64_t kMapFrom = std::uint64_t{64} << 10;

class Handle {
 public:
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  void reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  // Closes now; true when there was nothing to close or the close succeeded.
  bool Close() {
    if (!valid()) return true;
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
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

// Every file is opened with an inheritable handle and no security descriptor.
SECURITY_ATTRIBUTES InheritableHandle() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

HANDLE OpenFile(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES attributes = InheritableHandle();
  return CreateFileW(path.c_str(), access, 0, &attributes, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// "\\?\" lifts MAX_PATH for the temporary name, which may be longer than the target's.
std::wstring ExtendedLength(const std::wstring& absolute) {
  if (absolute.rfind(L"\\\\?\\", 0) == 0) return absolute;
  if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
  return L"\\\\?\\" + absolute;
}

class Win32SourceFile final : public SourceFile {
 public:
  bool Open(const std::wstring& path, DWORD share) {
    SECURITY_ATTRIBUTES attributes = InheritableHandle();
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ, share, &attributes, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_.valid();
  }

  std::optional<std::uint64_t> Size() const override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* data,
                                    std::size_t size) override {
    OVERLAPPED at{};  // on a synchronous handle, only the position
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = size < kMaxChunk ? static_cast<DWORD>(size) : kMaxChunk;
    DWORD read = 0;
    if (ReadFile(file_.get(), data, chunk, &read, &at)) return read;
    return GetLastError() == ERROR_HANDLE_EOF ? std::optional<std::size_t>(0) : std::nullopt;
  }

  // A file that nobody may write or cut short while tamro holds it (share mode 0,
  // or shared for reading only; a mapped file cannot be truncated at all) is
  // mapped; a small one, or one that cannot be mapped, is read.
  std::unique_ptr<WholeFile> Hold(std::uint64_t size) override {
    if (size >= kMapFrom) {
      if (std::unique_ptr<WholeFile> view = win32::MapWholeFile(file_.get(), size)) return view;
    }
    return ReadCopy(*this, size);
  }

 private:
  Handle file_;
};

class Win32OutputFile final : public OutputFile {
 public:
  explicit Win32OutputFile(std::wstring absolute) : target_(std::move(absolute)) {}
  ~Win32OutputFile() override {
    if (!committed_) Discard();
  }

  // A new file beside the target; where none can be made, the existing target
  // itself, emptied, which is what CREATE_ALWAYS would do with it.
  bool Open(bool exists) {
    std::size_t nameStart = target_.size();
    while (nameStart > 0 && !IsPathSeparator(target_[nameStart - 1])) --nameStart;
    const std::wstring folder = target_.substr(0, nameStart);
    for (int attempt = 0; attempt < 100 && !file_.valid(); ++attempt) {
      temporary_ = ExtendedLength(
          folder + TemporaryFileName(GetCurrentProcessId(), static_cast<std::uint64_t>(Ticks())));
      file_.reset(OpenFile(temporary_, GENERIC_WRITE, CREATE_NEW));
      if (!file_.valid() && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file_.valid()) return true;
    temporary_.clear();
    if (!exists) return false;
    file_.reset(OpenFile(ExtendedLength(target_), GENERIC_WRITE, TRUNCATE_EXISTING));
    inPlace_ = file_.valid();
    return inPlace_;
  }

  bool Write(std::string_view bytes) override {
    if (!file_.valid() || failed_) return false;
    while (!bytes.empty() && !failed_) {
      const DWORD chunk = bytes.size() < kMaxChunk ? static_cast<DWORD>(bytes.size()) : kMaxChunk;
      DWORD written = 0;
      failed_ = !WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0;
      bytes.remove_prefix(written);
    }
    return !failed_;
  }

  // MoveFileExW refuses a read-only target or one that another process holds
  // open, which leaves it as it was.
  bool Commit() override {
    if (!file_.valid() || failed_ || committed_) return false;
    bool stored = file_.Close();
    if (stored && !inPlace_) {
      stored = MoveFileExW(temporary_.c_str(), ExtendedLength(target_).c_str(),
                           MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    committed_ = stored;
    return stored;
  }

 private:
  static LONGLONG Ticks() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
  }

  // No temporary file stays; a file written in place keeps no part of the text.
  void Discard() {
    file_.Close();
    if (!temporary_.empty()) {
      DeleteFileW(temporary_.c_str());
    } else if (inPlace_) {
      Handle emptied;
      emptied.reset(OpenFile(ExtendedLength(target_), GENERIC_WRITE, TRUNCATE_EXISTING));
    }
  }

  std::wstring target_;     // absolute
  std::wstring temporary_;  // empty when writing in place
  Handle file_;
  bool inPlace_ = false;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace

// A source file: the path and its absolute form below MAX_PATH, then read access
// only and no sharing while the file is open. A module file: shared for reading,
// as the loader's mapping holds it.
std::unique_ptr<SourceFile> SourceFile::Open(const std::wstring& path, Sharing sharing) {
  if (path.find(L'\0') != std::wstring::npos) return nullptr;
  if (sharing == Sharing::Exclusive && !ShortFullPath(path)) return nullptr;
  const DWORD share = sharing == Sharing::Exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_DELETE;
  auto file = std::make_unique<Win32SourceFile>();
  if (!file->Open(path, share)) return nullptr;
  return file;
}

// The output path's length limits; a read-only target or a folder is never replaced.
std::unique_ptr<OutputFile> OutputFile::Create(const std::wstring& path) {
  try {
    std::optional<std::wstring> absolute = ShortFullPath(path);
    if (!absolute || absolute->empty() || IsPathSeparator(absolute->back())) return nullptr;
    // MoveFileExW refuses these on Windows; said here too, for emulations that do not.
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      return nullptr;
    }
    auto file = std::make_unique<Win32OutputFile>(std::move(*absolute));
    if (!file->Open(existing != INVALID_FILE_ATTRIBUTES)) return nullptr;
    return file;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
