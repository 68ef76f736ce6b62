#include <string>
#include <string_view>

#include "frontend/command_args.h"
#include "io/paths.h"

namespace tamro {
namespace {

wchar_t FoldAscii(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c;
}

// The runtime's case-insensitive comparison in the "C" locale folds only A-Z.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

enum class Mode { None, File, Sys };

Mode ModeOf(std::wstring_view argument) {
  std::wstring copy(argument);
  for (wchar_t& c : copy) {
    if (c == L'-') c = L'/';
  }
  if (EqualsIgnoringCase(copy, L"/sys")) return Mode::Sys;
  if (EqualsIgnoringCase(copy, L"/file")) return Mode::File;
  return Mode::None;
}

// Tokens between commas; runs of commas give no empty token; blanks are kept.
void AppendIdTokens(std::wstring_view list, std::vector<ItemResult>& items) {
  std::size_t pos = 0;
  while (pos < list.size()) {
    if (list[pos] == L',') {
      ++pos;
      continue;
    }
    std::size_t end = list.find(L',', pos);
    if (end == std::wstring_view::npos) end = list.size();
    ItemResult item;
    item.name.assign(list.substr(pos, end - pos));
    items.push_back(std::move(item));
    pos = end;
  }
}

bool ParseFileMode(int argc, const wchar_t* const* argv, CommandArgs& args) {
  if (argc != 3 && argc != 4) return false;
  const std::wstring binfile = argv[2];
  args.sourceFolder = ExpandEnvironment(FolderOfPath(binfile));
  if (args.sourceFolder.empty()) args.sourceFolder = ProgramFolder();
  args.sourceFolder = AddBackslash(args.sourceFolder);
  args.fileMask = FileNameOfPath(binfile);
  if (args.fileMask.empty()) return false;
  args.destFolder = argc == 4 ? ExpandEnvironment(argv[3]) : args.sourceFolder;
  args.destFolder = AddBackslash(args.destFolder);
  args.fileMode = true;
  return true;
}

bool ParseSysMode(int argc, const wchar_t* const* argv, CommandArgs& args) {
  if (argc != 4 && argc != 5) return false;
  args.systemFile = ExpandEnvironment(argv[2]);
  args.destFolder =
      argc == 5 ? ExpandEnvironment(argv[4]) : ProgramFolder() + FileNameOfPath(args.systemFile);
  args.destFolder = AddBackslash(args.destFolder);
  AppendIdTokens(argv[3], args.items);
  args.fileMode = false;
  return true;
}

}  // namespace

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
