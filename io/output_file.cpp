// The ".tamro.txt" file of one item: its safe name, and the sink its bytes stream into.
#include "io/output_file.h"

#include <cstdint>
#include <string>
#include <utility>

#include "bytes/ascii_case.h"
#include "platform/platform.h"

namespace tamro {
namespace {

bool IsUnsafeInFileName(wchar_t c) {
  switch (c) {
    case L'\\':
    case L'/':
    case L':':
    case L'*':
    case L'?':
    case L'"':
    case L'<':
    case L'>':
    case L'|':
      return true;
    default:
      return static_cast<std::uint32_t>(c) < 0x20;
  }
}

// True when the part of `name` before its first dot, without trailing blanks, is a
// Windows device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9), in any case.
bool NamesDevice(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
    if (EqualsIgnoringAsciiCase(stem, device)) return true;
  }
  if (stem.size() != 4 || stem[3] < L'1' || stem[3] > L'9') return false;
  return EqualsIgnoringAsciiCase(stem.substr(0, 3), L"COM") ||
         EqualsIgnoringAsciiCase(stem.substr(0, 3), L"LPT");
}

}  // namespace

std::wstring SafeFileName(std::wstring_view name) {
  std::wstring safe(name);
  for (wchar_t& c : safe) {
    if (IsUnsafeInFileName(c)) c = L'_';
  }
  // Windows opens a device, not a file, for CON, NUL, COM1 and the like, with any
  // extension; such names keep the same output name on every platform.
  if (NamesDevice(safe)) safe.insert(safe.begin(), L'_');
  return safe;
}

OutputFileSink::OutputFileSink(std::wstring path) : path_(std::move(path)) {}

void OutputFileSink::Write(std::string_view bytes) {
  if (failed_) return;
  if (!file_) Open();
  failed_ = failed_ || !file_->Write(bytes);
}

ItemCode OutputFileSink::Commit() {
  if (!failed_ && !file_) Open();
  return !failed_ && file_->Commit() ? ItemCode::ResultOk : ItemCode::ResultCreateFailed;
}

void OutputFileSink::Open() {
  file_ = platform::OutputFile::Create(path_);
  failed_ = !file_;
}

}  // namespace tamro
