// Running the built tamro as a user would, in throw-away folders, and writing out
// what it must print. Expectations are spelled out by the tests; nothing here
// asks the program's own code what it would say.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tamro::e2e {

namespace fs = std::filesystem;

// What differs between the platforms in what tamro shows: the scenarios are
// written once against these. The same sources build two runners: one for the
// Linux program and one (TAMRO_E2E_WINE) for tamro.exe under Wine, where "\n\r"
// arrives as CR LF CR, paths are Z:\... with backslashes, and the console and the
// output files are in code page 1252.
struct Conventions {
  std::string lineEnd;       // the bytes that end a console line
  char separator;            // the path separator the program shows
  std::string programName;   // the file name of the program
  std::string compilerName;  // the file name of tamro-compile
  bool windows;              // tamro.exe under Wine
};
const Conventions& Host();

// Expected bytes where the platforms differ, both written out by the test.
std::string_view OnHost(std::string_view onLinux, std::string_view onWindows);

// A path as tamro shows it, and a folder with its trailing separator.
std::string Shown(const fs::path& path);
std::string ShownFolder(const fs::path& folder);

struct RunOptions {
  fs::path workingFolder;                                        // empty: the test's own
  std::optional<std::uint64_t> fileSizeLimit;                    // RLIMIT_FSIZE, SIGXFSZ ignored
  std::vector<std::pair<std::string, std::string>> environment;  // set in addition
};

RunOptions InFolder(const fs::path& workingFolder);
RunOptions WithEnvironment(std::string name, std::string value);
RunOptions WithFileSizeLimit(std::uint64_t bytes);

struct RunResult {
  std::string out;      // standard output, byte for byte
  std::string err;      // standard error (tamro writes nothing there)
  int exitStatus = -1;  // -1 when the program did not exit normally
};

// Runs `program` with `arguments` (argument 0 is added) and collects its output;
// standard output is a pipe, so the program writes as to a redirected console.
// Under Wine the program is started as `env WINEPREFIX=... wine program`.
RunResult Run(const fs::path& program, const std::vector<std::string>& arguments,
              const RunOptions& options = {});

// The console transcript expected of one run, built line by line.
class Transcript {
 public:
  Transcript& Line(std::string_view text = {});
  Transcript& Text(std::string_view text);  // no line end
  Transcript& Banner();
  Transcript& Usage();
  // The banner and the header of a file batch over `total` files in `folder`
  // (shown with its separator), then the empty line before the items.
  Transcript& Converting(int total, std::string_view folder);
  // The banner and the header of a system-file batch over `total` resources.
  Transcript& Extracting(int total, std::string_view module);
  // One item line of the file batch: "\t" name " | " outcome.
  Transcript& FileItem(std::string_view name, std::string_view outcome);
  // One item line of the system-file batch: "\tUIFILE " name " | " outcome.
  Transcript& ResourceItem(std::string_view name, std::string_view outcome);
  // The final report of a batch that ran to its end.
  Transcript& Summary(int converted, int total, std::string_view outputFolder);
  // The final report of a batch error.
  Transcript& Error(std::string_view message);
  // tamro-compile's banner, and its batch header over `total` text files in `folder`.
  Transcript& CompileBanner();
  Transcript& Compiling(int total, std::string_view folder);
  // tamro-compile's final report of a batch that ran to its end.
  Transcript& Compiled(int compiled, int total, std::string_view outputFolder);
  const std::string& str() const { return text_; }

 private:
  // The blank line, "<done> of <total><what>", and the output folder.
  Transcript& FinalReport(int done, int total, std::string_view what,
                          std::string_view outputFolder);
  std::string text_;
};

// Lines joined with CR LF, each one ended: the layout of an output file.
std::string CrLf(std::initializer_list<std::string_view> lines);

using test::ReadBytes;
using test::WriteBytes;

// Names in a folder, sorted by bytes; sub-folders end with '/'.
std::vector<std::string> ListFolder(const fs::path& folder);

// Every file below a folder with its bytes and modification time, to show that a
// run changed nothing there.
struct FileState {
  std::string bytes;
  fs::file_time_type modified;
  bool operator==(const FileState&) const = default;
};
void PrintTo(const FileState& state, std::ostream* os);
std::map<std::string, FileState> Snapshot(const fs::path& folder);

// The built programs under test, tamro and tamro-compile (their paths come from
// the build).
fs::path BuiltProgram();
fs::path BuiltCompiler();

}  // namespace tamro::e2e
