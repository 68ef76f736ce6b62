// The parsed command line (one per run, owned by the entry) and its parser. The
// batches read it and never change it; what they select is their own.
#pragma once

#include <string>
#include <vector>

namespace tamro {

struct CommandArgs {
  bool fileMode = false;            // true for -file, false for -sys
  std::wstring sourceFolder;        // file mode: folder searched, ends with a separator
  std::wstring fileMask;            // file mode: name part of binfile, may hold * and ?
  std::wstring systemFile;          // sys mode: the module, environment expanded
  std::vector<std::wstring> items;  // sys mode: the id tokens as typed, in order
  std::wstring destFolder;          // both: ends with a separator once parsed
};

// Fills `args` from the argument vector (argument 0 is the program). False when
// the switch is neither file nor sys, the argument count does not fit the mode, or
// the binfile argument has no name part; the entry then shows the usage text.
// Touches no file; folders and files are tested by the batches.
bool ParseCommandLine(int argc, const wchar_t* const* argv, CommandArgs& args);

// The files argument of a file batch (a folder part, environment references
// expanded, and a mask; no folder part: the program's folder) and the optional
// destination (null: the source folder), as both programs take them. False when
// `files` has no name part.
bool ParseFileArguments(const std::wstring& files, const wchar_t* destFolder, CommandArgs& args);

}  // namespace tamro
