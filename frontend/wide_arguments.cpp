#include "frontend/wide_arguments.h"

#ifndef _WIN32

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tamro {

int RunWithWideArguments(int argc, char** argv, WideEntry entry) {
  std::vector<std::wstring> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(platform::ArgumentText(argv[i]));
  std::vector<const wchar_t*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (const std::wstring& argument : arguments) pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);
  return entry(argc, pointers.data());
}

}  // namespace tamro

#endif
