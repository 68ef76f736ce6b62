// The narrow interface through which io/ and frontend/ reach the operating system.
// platform/win32/ implements it with the Windows API, platform/posix/ with the
// Linux behaviour of the design notes. Module resources live in resource_module.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bytes/byte_view.h"

namespace tamro::platform {

// ---- Console -------------------------------------------------------------

// The characters that end a console line (LF CR on Windows, LF on Linux).
std::wstring_view ConsoleLineEnd();

// Writes `text` to standard output in one write, followed by the console line end
// when `endLine` is set, and flushes. With `errorColour` the text appears in bright
// red when standard output is a console (the previous attributes are restored
// afterwards); redirected output is plain. On a Linux terminal the control
// characters of `text` (C0 but TAB, DEL and C1) are shown escaped, as "\x1b", so
// that no name can steer the terminal; everywhere else the text goes out verbatim.
// Write errors are ignored, and neither SIGPIPE nor SIGXFSZ ends the process.
void ConsoleWrite(std::wstring_view text, bool errorColour, bool endLine = false);

// ---- Batch -------------------------------------------------------------------

// What is the same for every item of a batch, settled once while the object
// lives rather than once per item: whether standard output is a terminal or
// console, the process id in temporary file names, and on Linux SIGPIPE and
// SIGXFSZ held back around all the batch's writes. The console and output files
// consult the one that lives; without one, each call settles these for itself.
// One at a time, on the thread that writes; the thread's signal mask is as it was
// once the object is gone, and no signal that the batch's writes raised stays
// pending. On Linux the first one also makes the heap keep the pages that items
// free for the next ones, for the rest of the process.
class BatchScope {
 public:
  BatchScope();
  ~BatchScope();
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;
  // After each item: takes off again a held signal that the item's writes raised,
  // so that none waits for the end of the batch. Costs nothing when none was.
  void ItemDone();

 private:
  bool owner_ = false;  // false when another scope was living already
};

// ---- Path syntax -----------------------------------------------------------

// The separator folders are joined with ('\\' on Windows, '/' on Linux).
wchar_t PathSeparator();

// True for every character that separates path components ('\\' and '/' on
// Windows, '/' on Linux).
bool IsPathSeparator(wchar_t c);

// Length of the root prefix that a folder path never loses ("C:\\" or "\\" on
// Windows, "/" on Linux); 0 for a relative path.
std::size_t PathRootLength(std::wstring_view path);

// ---- Process and environment -----------------------------------------------

// One command-line argument as the C runtime hands it to main() (Linux: the
// locale's bytes, UTF-8), as wide text. A byte that is not valid UTF-8 becomes
// the value 0x110000 + byte, beyond Unicode, so no argument stops the run and file
// names survive the trip; text from elsewhere can never take that form.
std::wstring ArgumentText(const char* bytes);

// Full path of the running program; empty when it cannot be had.
std::wstring ProgramPath();

// `text` with every %NAME% of a defined variable replaced by its value; undefined
// references stay as written. Never truncates; a failed expansion gives `text`.
std::wstring ExpandEnvironment(const std::wstring& text);

// Absolute form of `path`: on Windows resolved against the current directory with
// "." and ".." removed from the text; on Linux the kernel's resolution (symbolic
// links, then ".."), so that it names the file the kernel opens for `path`.
// nullopt when it cannot be made (on Linux: when `path` does not exist).
std::optional<std::wstring> FullPath(const std::wstring& path);

// ---- File system -------------------------------------------------------------

// `name` as the file system compares file names: folded to upper case on Windows
// (where "Case" and "CASE" name one file); on Linux the bytes the kernel gets for
// it, so two names that become the same bytes are one file there too.
std::wstring FileNameKey(std::wstring_view name);

// Success when `path` names an existing file or folder, otherwise the platform's
// error (ERROR_FILE_NOT_FOUND / ENOENT style), so that
// `if (auto error = PathExists(path))` reads as it runs. Windows brackets the
// test with the WOW64 redirection switch.
std::error_code PathExists(const std::wstring& path);

// True when `a` and `b` both exist and are one file (the same file by another
// path, a hard link, a link to it): writing one would change the other.
bool SameFile(const std::wstring& a, const std::wstring& b);

// Success when `folder` is a folder or was created with all missing parents,
// otherwise the platform's error. On Linux this is mkdir -p on the path as
// written, and a failure removes again every folder that the call made.
std::error_code EnsureFolder(const std::wstring& folder);

struct FoundEntry {
  std::wstring name;  // the entry's name without its folder
  bool isDirectory = false;
};

// Every entry that the wild-card `pattern` (a folder part and a mask with * and ?)
// matches, in the platform's order, except the temporary files of OutputFile,
// into `found`. A folder that cannot be listed matches nothing; an error is a
// search that failed on the way (out of memory, a read error of the folder), and
// leaves `found` empty.
std::error_code FindEntries(const std::wstring& pattern, std::vector<FoundEntry>& found);

// The bytes of a whole file, held for reading while the object lives, in memory
// that no other process can change or take away. On Linux a copy that only tamro
// holds (a mapping of the file would show another process's writes and
// truncations while the converter reads it); on Windows a read-only mapping of
// the file, which nobody may write or cut short while tamro holds it open.
class WholeFile {
 public:
  virtual ~WholeFile() = default;
  virtual ByteView Bytes() const = 0;
  // True once part of a mapping could not be read any more (on Windows an in-page
  // error, as when the network file behind it goes away): from then on those
  // bytes read as zeros, and whatever was made of them must be discarded. A copy
  // is never lost.
  virtual bool Lost() const = 0;
};

// The whole file at `path`, opened for reading only and shared with nobody while
// it is open. Null for a missing or unreadable file, one that is no regular file,
// one of 2 GiB or more, a short read, or a lack of memory.
std::unique_ptr<WholeFile> ReadWholeFile(const std::wstring& path);

// An output file being written. Bytes go to a temporary file beside `path` that
// no search of tamro's lists, or, where no such file can be made but an existing
// `path` can be written, into `path` itself. The new content stands under
// `path` only after Commit(); an object destroyed without a successful Commit()
// leaves no temporary file behind. A read-only existing file is never replaced;
// a replaced file keeps its permission bits. Written in place, a failed or
// uncommitted output is cut to zero bytes, so no part of a text can pass for a
// whole one (the old content is gone then, as CREATE_ALWAYS loses it on Windows).
class OutputFile {
 public:
  // Null when the file cannot be created at all (the item's "create failed").
  static std::unique_ptr<OutputFile> Create(const std::wstring& path);
  virtual ~OutputFile() = default;
  // Appends `bytes`; false once any write has failed (disk full, file-size
  // limit, ...). Later writes after a failure do nothing and return false.
  virtual bool Write(std::string_view bytes) = 0;
  // Flushes, closes and puts the file in place; true when it stands complete.
  virtual bool Commit() = 0;
};

// Writes `bytes` as the complete new content of `path` through one OutputFile.
// Returns true when the file stands complete.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

// ---- Text encoding -----------------------------------------------------------

// Appends to `bytes` the output files' encoding of one string given as UTF-16
// code units: the thread's ANSI code page on Windows (best-fit substitutes and
// '?' for what it lacks), UTF-8 on Linux (an unpaired surrogate becomes U+FFFD).
void EncodeOutputString(std::u16string_view units, std::string& bytes);

}  // namespace tamro::platform
