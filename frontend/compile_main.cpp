// tamro-compile's process entry.
#include "frontend/compile_entry.h"
#include "frontend/wide_arguments.h"

#ifdef _WIN32

// mingw-w64 links this entry with -municode; the runtime splits the command line.
int wmain(int argc, wchar_t** argv) {
  return tamro::RunTamroCompile(argc, argv);
}

#else

int main(int argc, char** argv) {
  return tamro::RunWithWideArguments(argc, argv, tamro::RunTamroCompile);
}

#endif
