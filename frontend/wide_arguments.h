// The process entry of both programs: the wide argument vector as the platform
// delivers it.
#pragma once

namespace tamro {

using WideEntry = int (*)(int argc, const wchar_t* const* argv);

#ifndef _WIN32
// Linux: the arguments as the C runtime hands them to main(), decoded as the
// platform decodes them, then `entry` run with them.
int RunWithWideArguments(int argc, char** argv, WideEntry entry);
#endif

}  // namespace tamro
