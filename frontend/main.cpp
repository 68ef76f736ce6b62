// The process entry: the wide argument vector as the platform delivers it.
#include "frontend/entry.h"

#ifdef _WIN32

// mingw-w64 links this entry with -municode; the runtime splits the command line.
// Start-up has nothing that can fail: tamro needs no framework to initialise, so
// exit status 1 is never returned.
int wmain(int argc, wchar_t** argv) {
  return tamro::RunTamro(argc, argv);
}

#else

#include <string>
#include <vector>

#include "platform/platform.h"

int main(int argc, char** argv) {
  std::vector<std::wstring> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(tamro::platform::ArgumentText(argv[i]));
  std::vector<const wchar_t*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (const std::wstring& argument : arguments) pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);
  return tamro::RunTamro(argc, pointers.data());
}

#endif
