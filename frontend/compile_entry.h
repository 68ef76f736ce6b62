// tamro-compile's run: banner, command line, the file batch, final report.
#pragma once

namespace tamro {

// Exit status, as build tools have it: 0 when every text compiled, 1 when any
// failed or the batch could not run, 2 for a command line it does not accept.
int RunTamroCompile(int argc, const wchar_t* const* argv);

}  // namespace tamro
