#include <string>
#include <string_view>

#include "bytes/ascii_case.h"
#include "frontend/command_args.h"
#include "io/paths.h"
#include "platform/platform.h"

namespace tamro {
namespace {

enum class Mode { None, File, Sys };

Mode ModeOf(std::wstring_view argument) {
  std::wstring copy(argument);
  for (wchar_t& c : copy) {
    if (c == L'-') c = L'/';
  }
  // The runtime's case-insensitive comparison in the "C" locale folds only A-Z.
  if (EqualsIgnoringAsciiCase(copy, L"/sys")) return Mode::Sys;
  if (EqualsIgnoringAsciiCase(copy, L"/file")) return Mode::File;
  return Mode::None;
}

// Tokens between commas; runs of commas give no empty token; blanks are kept.
void AppendIdTokens(std::wstring_view list, std::vector<std::wstring>& items) {
  std::size_t pos = 0;
  while (pos < list.size()) {
    if (list[pos] == L',') {
      ++pos;
      continue;
    }
    std::size_t end = list.find(L',', pos);
    if (end == std::wstring_view::npos) end = list.size();
    items.emplace_back(list.substr(pos, end - pos));
    pos = end;
  }
}

bool ParseFileMode(int argc, const wchar_t* const* argv, CommandArgs& args) {
  if (argc != 3 && argc != 4) return false;
  return ParseFileArguments(argv[2], argc == 4 ? argv[3] : nullptr, args);
}

bool ParseSysMode(int argc, const wchar_t* const* argv, CommandArgs& args) {
  if (argc != 4 && argc != 5) return false;
  args.systemFile = platform::ExpandEnvironment(argv[2]);
  args.destFolder = argc == 5 ? platform::ExpandEnvironment(argv[4])
                              : ProgramFolder() + FileNameOfPath(args.systemFile);
  args.destFolder = AddBackslash(args.destFolder);
  AppendIdTokens(argv[3], args.items);
  args.fileMode = false;
  return true;
}

}  // namespace

bool ParseFileArguments(const std::wstring& files, const wchar_t* destFolder, CommandArgs& args) {
  args.sourceFolder = platform::ExpandEnvironment(FolderOfPath(files));
  if (args.sourceFolder.empty()) args.sourceFolder = ProgramFolder();
  args.sourceFolder = AddBackslash(args.sourceFolder);
  args.fileMask = FileNameOfPath(files);
  if (args.fileMask.empty()) return false;
  args.destFolder =
      destFolder != nullptr ? platform::ExpandEnvironment(destFolder) : args.sourceFolder;
  args.destFolder = AddBackslash(args.destFolder);
  args.fileMode = true;
  return true;
}

bool ParseCommandLine(int argc, const wchar_t* const* argv, CommandArgs& args) {
  if (argc < 2 || argv == nullptr || argv[1] == nullptr) return false;
  for (int i = 2; i < argc; ++i) {
    if (argv[i] == nullptr) return false;
  }
  switch (ModeOf(argv[1])) {
    case Mode::File:
      return ParseFileMode(argc, argv, args);
    case Mode::Sys:
      return ParseSysMode(argc, argv, args);
    case Mode::None:
      break;
  }
  return false;
}

}  // namespace tamro
