#include "frontend/file_batch.h"

#include <fmt/xchar.h>

#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "frontend/console.h"
#include "frontend/item_loop.h"
#include "io/convert_work.h"
#include "io/paths.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// Every file the pattern matches, in the platform search's order; folders skipped.
// An error when the search itself failed.
std::error_code FindMatchingFiles(const std::wstring& pattern, std::vector<ItemSource>& files) {
  std::vector<platform::FoundEntry> entries;
  if (const std::error_code error = platform::FindEntries(pattern, entries)) return error;
  const std::wstring folderPart = FolderOfPath(pattern);
  const std::optional<std::wstring> absolute = platform::FullPath(folderPart);
  const std::wstring folder = AddBackslash(absolute ? *absolute : folderPart);
  for (const platform::FoundEntry& entry : entries) {
    if (entry.isDirectory) continue;
    ItemSource file;
    file.path = folder + entry.name;
    file.name = FileNameOfPath(file.path);
    files.push_back(std::move(file));
  }
  return {};
}

void AnnounceFile(const std::wstring& name) {
  WriteText(fmt::format(L"\t{} | ", name));
}

}  // namespace

BatchOutcome RunFileBatch(const CommandArgs& args, const BatchWork& work,
                          FileHeaderFunction header) {
  if (platform::PathExists(args.sourceFolder)) return {BatchError::ErrSourceFolder};
  std::vector<ItemSource> files;
  try {
    if (FindMatchingFiles(args.sourceFolder + args.fileMask, files)) {
      return {BatchError::ErrSearchFailed};
    }
  } catch (const std::bad_alloc&) {
    return {BatchError::ErrSearchFailed};
  }
  if (files.empty()) return {BatchError::ErrNoMatchingFiles};
  return ConvertItems(files, args.destFolder, header(files.size(), args.sourceFolder), AnnounceFile,
                      work);
}

BatchOutcome RunFileBatch(const CommandArgs& args) {
  static const ConvertWork convert;
  return RunFileBatch(
      args, BatchWork{convert, ResultText}, [](std::size_t count, const std::wstring& folder) {
        return fmt::format(L"Converting {} UIFILE(s) in folder \"{}\" to XML text", count, folder);
      });
}

}  // namespace tamro
