#include "frontend/compile_entry.h"

#include <fmt/xchar.h>

#include <string_view>

#include "frontend/command_args.h"
#include "frontend/compile_messages.h"
#include "frontend/console.h"
#include "frontend/file_batch.h"
#include "frontend/report.h"
#include "io/compile_work.h"

#ifndef TAMRO_VERSION
#define TAMRO_VERSION "unknown"
#endif

namespace tamro {
namespace {

constexpr int kCompiled = 0;
constexpr int kFailed = 1;
constexpr int kBadCommandLine = 2;

enum class Request { Compile, Help, Version, Invalid };

Request ReadCommandLine(int argc, const wchar_t* const* argv, CommandArgs& args) {
  if (argc == 2) {
    const std::wstring_view only = argv[1];
    if (only == L"-h" || only == L"--help") return Request::Help;
    if (only == L"--version") return Request::Version;
  }
  if (argc != 2 && argc != 3) return Request::Invalid;
  // No options beyond those: a text whose name starts with '-' is given as "./-x".
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr || (argv[i][0] == L'-' && argv[i][1] != L'\0')) return Request::Invalid;
  }
  return ParseFileArguments(argv[1], argc == 3 ? argv[2] : nullptr, args) ? Request::Compile
                                                                          : Request::Invalid;
}

void PrintLines(std::span<const std::wstring_view> lines) {
  for (const std::wstring_view line : lines) PrintLine(line);
}

std::wstring Header(std::size_t count, const std::wstring& folder) {
  return fmt::format(L"Compiling {} text file(s) in folder \"{}\" to DUIB format", count, folder);
}

std::wstring Summary(std::int32_t compiled, std::int32_t total) {
  return fmt::format(L"{} of {} text file(s) successfully compiled to DUIB format", compiled,
                     total);
}

}  // namespace

int RunTamroCompile(int argc, const wchar_t* const* argv) {
  CommandArgs args;
  const Request request = ReadCommandLine(argc, argv, args);
  if (request == Request::Version) {
    PrintLine(L"tamro-compile " TAMRO_VERSION);
    return kCompiled;
  }
  PrintBanner(L"Compile XML text to binary UIFILE resources (DUIB format)");
  if (request == Request::Help) {
    PrintLines(CompileHelpLines());
    return kCompiled;
  }
  if (request == Request::Invalid) {
    PrintLines(CompileUsageLines());
    return kBadCommandLine;
  }
  const CompileWork compile;
  const BatchOutcome outcome = RunFileBatch(args, BatchWork{compile, CompileResultText}, Header);
  PrintFinalReport(outcome, args, Summary);
  const bool allCompiled =
      outcome.error == BatchError::ErrNone && outcome.converted == outcome.total;
  return allCompiled ? kCompiled : kFailed;
}

}  // namespace tamro
