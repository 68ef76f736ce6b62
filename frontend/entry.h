// The program run after start-up: banner, command line, one batch, final report.
#pragma once

namespace tamro {

// Prints the banner, parses the arguments (argument 0 is the program), shows the
// usage text or runs one batch and its final report. Returns the exit status: 0.
int RunTamro(int argc, const wchar_t* const* argv);

}  // namespace tamro
