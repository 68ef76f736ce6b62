// The names of the temporary files that output files are written to before they
// take their place. Internal to platform/: both implementations make them, and
// both searches leave them out, so that no run lists another run's half-written
// output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamro::platform {

// ".tamro-" + 16 hexadecimal digits + ".tmp". The digits mix `processId`,
// `clockTicks` and a per-process counter, so names differ from call to call and
// from process to process; the caller's exclusive create settles any collision.
std::wstring TemporaryFileName(std::uint64_t processId, std::uint64_t clockTicks);

// True for every name that TemporaryFileName can make.
bool IsTemporaryFileName(std::wstring_view name);

}  // namespace tamro::platform
