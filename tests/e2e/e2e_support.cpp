#include "tests/e2e/e2e_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tamro::e2e {

#ifdef TAMRO_E2E_WINE

const Conventions& Host() {
  static const Conventions windows{"\r\n\r", '\\', "tamro.exe", "tamro-compile.exe", true};
  return windows;
}

// Wine's drive Z: is the Linux root.
std::string Shown(const fs::path& path) {
  std::string text = path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return path.is_absolute() ? "Z:" + text : text;
}

#else

const Conventions& Host() {
  static const Conventions linux{"\n", '/', "tamro", "tamro-compile", false};
  return linux;
}

std::string Shown(const fs::path& path) {
  return path.string();
}

#endif

std::string_view OnHost(std::string_view onLinux, std::string_view onWindows) {
  return Host().windows ? onWindows : onLinux;
}

std::string ShownFolder(const fs::path& folder) {
  std::string text = Shown(folder);
  if (text.empty() || text.back() != Host().separator) text.push_back(Host().separator);
  return text;
}

RunOptions InFolder(const fs::path& workingFolder) {
  RunOptions options;
  options.workingFolder = workingFolder;
  return options;
}

RunOptions WithEnvironment(std::string name, std::string value) {
  RunOptions options;
  options.environment.emplace_back(std::move(name), std::move(value));
  return options;
}

RunOptions WithFileSizeLimit(std::uint64_t bytes) {
  RunOptions options;
  options.fileSizeLimit = bytes;
  return options;
}

namespace {

#ifdef TAMRO_E2E_WINE
// env, the Wine environment of the build (cmake/wine.cmake), and wine.
constexpr const char* kWineLauncher[] = {TAMRO_WINE_LAUNCHER};
#endif

[[noreturn]] void ChildFail(const char* what) {
  // Only async-signal-safe calls between fork and exec.
  const char prefix[] = "e2e launcher: ";
  (void)!write(2, prefix, sizeof prefix - 1);
  (void)!write(2, what, __builtin_strlen(what));
  _exit(127);
}

// Appends what `fd` holds now to `sink`; false once the pipe is closed.
bool ReadAvailable(int fd, std::string& sink) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      sink.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && errno == EAGAIN;
    }
  }
}

// Collects both pipes until the program has ended and gives its wait status. The
// end of the program, not the pipes' closing, ends the run: a program started by
// Wine may have started Wine's own services, which keep the pipes open.
int CollectOutput(pid_t pid, int outFd, int errFd, std::string& out, std::string& err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  for (pollfd& p : fds) fcntl(p.fd, F_SETFL, fcntl(p.fd, F_GETFL) | O_NONBLOCK);
  int status = 0;
  for (;;) {
    const bool open = fds[0].fd >= 0 || fds[1].fd >= 0;
    const pid_t done = waitpid(pid, &status, open ? WNOHANG : 0);
    if (done < 0 && errno != EINTR) status = -1;  // no status: not a normal exit
    const bool ended = done == pid || status == -1;
    if (!ended && open && poll(fds, 2, 50) < 0 && errno != EINTR) {
      status = -1;
      break;
    }
    // After the end, everything the program wrote is in the pipes already.
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && !ReadAvailable(fds[i].fd, *sinks[i])) {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
    if (ended) break;
  }
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  return status;
}

}  // namespace

RunResult Run(const fs::path& program, const std::vector<std::string>& arguments,
              const RunOptions& options) {
  std::vector<std::string> argvText;
#ifdef TAMRO_E2E_WINE
  argvText.assign(std::begin(kWineLauncher), std::end(kWineLauncher));
#endif
  argvText.push_back(program.string());
  argvText.insert(argvText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);

  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const std::string folder = options.workingFolder.string();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (dup2(outPipe[1], 1) < 0 || dup2(errPipe[1], 2) < 0) ChildFail("dup2\n");
    if (!folder.empty() && chdir(folder.c_str()) != 0) ChildFail("chdir\n");
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    if (options.fileSizeLimit) {
      // An ignored SIGXFSZ stays ignored across exec: a write past the limit then
      // fails with EFBIG instead of ending the process.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) ChildFail("setrlimit\n");
    }
    execvp(argv[0], argv.data());
    ChildFail("exec\n");
  }
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  const int status = CollectOutput(pid, outPipe[0], errPipe[0], result.out, result.err);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

namespace {

// The usage text as the program must show it, one entry per line.
constexpr std::string_view kUsage[] = {
    "This program DOES NOT MODIFY system files in any way",
    "",
    "USAGE:",
    "",
    "   tamro -file binfile [destfolder]",
    "",
    "-or-",
    "",
    "   tamro -sys sysfile id [destfolder]",
    "",
    "Parameters:",
    "",
    "   -file\tConvert binary file(s) to XML text (see note 1)",
    "",
    "   binfile\tBinary file(s) to convert, specify multiple files using",
    "   \t\twildcards (* and ?). Path can be omitted if the files to",
    "   \t\tconvert are in the same folder as the tamro program. If a path",
    "   \t\tis specified, it must be a fully qualified path; use quotes",
    "   \t\tif contains spaces, can include environment variables.",
    "",
    "   destfolder\tOptional parameter. Destination folder for converted XML text",
    "   \t\tfiles. Fully qualified path, use quotes if contains spaces,",
    "   \t\tcan include environment variables. If omitted, converted XML text",
    "   \t\tfiles will be saved in the same folder as the source binary files.",
    "",
    "Parameters:",
    "",
    "   -sys\t\tExtract one or more binary UIFILE resources from a system file",
    "   \t\t(.exe, .dll, ...) and convert to XML text",
    "",
    "   sysfile\tSystem file containing binary UIFILE resources to extract.",
    "   \t\tFully qualified path, use quotes if contains spaces, can",
    "   \t\tinclude environment variables.",
    "",
    "   id\t\tID(s) of UIFILE resources to convert, can be:",
    "   \t\t- a single UIFILE ID (e.g. 40960)",
    "   \t\t- a comma separated list of UIFILE IDs (e.g. 23,24,25)",
    "   \t\t- * to include all UIFILE resources in the source file",
    "",
    "   destfolder\tOptional parameter. Destination folder for converted XML text",
    "   \t\tfiles. Fully qualified path, use quotes if contains spaces,",
    "   \t\tcan include environment variables. If omitted, converted XML text",
    "   \t\tfiles will be saved in a sub-folder of the tamro program folder",
    "   \t\twith the same name as the source system file (e.g. \"shell32.dll\"",
    "   \t\tsub-folder).",
    "",
    "NOTES:",
    "",
    "1. When using the -file option, the binary file(s) to convert must be in raw",
    "   binary format (file extension is irrelevant).",
    "",
    "   To extract UIFILEs from system files in raw binary format:",
    "   * Restorator: Resources menu -> Extract -> Extract as -> Extract as \".raw\"",
    "   * ResHacker: Action menu -> Save resource as a binary file",
    "",
    "2. Converted XML text file(s) are saved with a .tamro.txt extension.",
    "",
    "3. When converting multiple UIFILE(s) (either source binary files or binary",
    "   resources in a system file) UIFILE resources that are in text format",
    "   or cannot be converted will be automatically skipped.",
    "   An example is the RIBBON resource in ExplorerFrame.dll, which is not a",
    "   binary UIFILE resource and cannot therefore be converted.",
    "",
    "EXAMPLES:",
    "",
    "* Convert a single binary file to XML text (file is in the tamro program folder):",
    "",
    "   tamro -file 40960.raw",
    "",
    "* Convert all .raw files in a folder to XML text, specifying destination folder:",
    "",
    "   tamro -file \"D:\\source path\\*.raw\" E:\\destpath",
    "",
    "* Extract a single UIFILE (40960) from ExplorerFrame.dll and convert to XML text:",
    "",
    "   tamro -sys c:\\windows\\system32\\explorerframe.dll 40960 e:\\destpath",
    "",
    "* Extract multiple UIFILEs (23, 24 and 25) from shell32.dll and convert to XML",
    "  text (environment variable used to specify source file); output XML files are",
    "  saved in the \"shell32.dll\" sub-folder of the tamro program folder:",
    "",
    "   tamro -sys \"%SystemRoot%\\system32\\shell32.dll\" 23,24,25",
    "",
    "* Extract all UIFILEs from ExplorerFrame.dll and convert to XML text",
    "  (environment variable used to specify source file):",
    "",
    "   tamro -sys \"%SystemRoot%\\system32\\ExplorerFrame.dll\" * \"d:\\long path\"",
    "",
    "* Extract all UIFILEs from ExplorerFrame.dll and convert to XML text; ouput",
    "  XML files are saved in the \"ExplorerFrame.dll\" sub-folder of the tamro",
    "  program folder:",
    "",
    "   tamro -sys \"c:\\windows\\system32\\ExplorerFrame.dll\"",
    "",
};
static_assert(std::size(kUsage) == 94);

}  // namespace

Transcript& Transcript::Line(std::string_view text) {
  text_.append(text);
  text_.append(Host().lineEnd);
  return *this;
}

Transcript& Transcript::Text(std::string_view text) {
  text_.append(text);
  return *this;
}

Transcript& Transcript::Banner() {
  return Line().Line().Line("Convert binary UIFILE resources to XML text format").Line();
}

Transcript& Transcript::Usage() {
  for (std::string_view line : kUsage) Line(line);
  return *this;
}

Transcript& Transcript::Converting(int total, std::string_view folder) {
  return Banner()
      .Line("Converting " + std::to_string(total) + " UIFILE(s) in folder \"" +
            std::string(folder) + "\" to XML text")
      .Line();
}

Transcript& Transcript::Extracting(int total, std::string_view module) {
  return Banner()
      .Line("Extracting " + std::to_string(total) + " UIFILE(s) from \"" + std::string(module) +
            "\" and converting to XML text")
      .Line();
}

Transcript& Transcript::FileItem(std::string_view name, std::string_view outcome) {
  return Text("\t").Text(name).Text(" | ").Line(outcome);
}

Transcript& Transcript::ResourceItem(std::string_view name, std::string_view outcome) {
  return Text("\tUIFILE ").Text(name).Text(" | ").Line(outcome);
}

Transcript& Transcript::FinalReport(int done, int total, std::string_view what,
                                    std::string_view outputFolder) {
  Line();
  Line(std::to_string(done) + " of " + std::to_string(total) + std::string(what));
  Line();
  Line("Output folder: \"" + std::string(outputFolder) + "\"");
  return Line();
}

Transcript& Transcript::Summary(int converted, int total, std::string_view outputFolder) {
  return FinalReport(converted, total, " UIFILE(s) successfully converted to XML text",
                     outputFolder);
}

Transcript& Transcript::Error(std::string_view message) {
  Line();
  Text("ERROR: ");
  Line(message);
  return Line();
}

Transcript& Transcript::CompileBanner() {
  return Line().Line().Line("Compile XML text to binary UIFILE resources (DUIB format)").Line();
}

Transcript& Transcript::Compiling(int total, std::string_view folder) {
  return CompileBanner()
      .Line("Compiling " + std::to_string(total) + " text file(s) in folder \"" +
            std::string(folder) + "\" to DUIB format")
      .Line();
}

Transcript& Transcript::Compiled(int compiled, int total, std::string_view outputFolder) {
  return FinalReport(compiled, total, " text file(s) successfully compiled to DUIB format",
                     outputFolder);
}

std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

std::vector<std::string> ListFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (entry.is_directory()) name += '/';
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void PrintTo(const FileState& state, std::ostream* os) {
  *os << state.bytes.size() << " bytes, modified at " << state.modified.time_since_epoch().count();
}

std::map<std::string, FileState> Snapshot(const fs::path& folder) {
  std::map<std::string, FileState> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), folder).string()] =
        FileState{ReadBytes(entry.path()), entry.last_write_time()};
  }
  return files;
}

fs::path BuiltProgram() {
  return TAMRO_EXE;
}

fs::path BuiltCompiler() {
  return TAMRO_COMPILE_EXE;
}

}  // namespace tamro::e2e
