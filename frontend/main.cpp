// tamro's process entry.
#include "frontend/entry.h"
#include "frontend/wide_arguments.h"

#ifdef _WIN32

// mingw-w64 links this entry with -municode; the runtime splits the command line.
// Start-up has nothing that can fail: tamro needs no framework to initialise, so
// exit status 1 is never returned.
int wmain(int argc, wchar_t** argv) {
  return tamro::RunTamro(argc, argv);
}

#else

int main(int argc, char** argv) {
  return tamro::RunWithWideArguments(argc, argv, tamro::RunTamro);
}

#endif
