#include "frontend/file_batch.h"

#include <fmt/xchar.h>

#include <optional>
#include <string>
#include <vector>

#include "frontend/console.h"
#include "frontend/item_loop.h"
#include "io/paths.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// Every file the pattern matches, in the platform search's order; folders skipped.
std::vector<ItemSource> FindMatchingFiles(const std::wstring& pattern) {
  std::vector<ItemSource> files;
  const std::wstring folderPart = FolderOfPath(pattern);
  const std::optional<std::wstring> absolute = platform::FullPath(folderPart);
  const std::wstring folder = AddBackslash(absolute ? *absolute : folderPart);
  for (const platform::FoundEntry& entry : platform::FindEntries(pattern)) {
    if (entry.isDirectory) continue;
    ItemSource file;
    file.path = folder + entry.name;
    file.name = FileNameOfPath(file.path);
    files.push_back(std::move(file));
  }
  return files;
}

void AnnounceFile(const std::wstring& name) {
  WriteText(fmt::format(L"\t{} | ", name));
}

}  // namespace

BatchOutcome RunFileBatch(const CommandArgs& args) {
  if (platform::PathExists(args.sourceFolder) != 0) return {ErrSourceFolder};
  const std::vector<ItemSource> files = FindMatchingFiles(args.sourceFolder + args.fileMask);
  if (files.empty()) return {ErrNoMatchingFiles};
  return ConvertItems(files, args.destFolder,
                      fmt::format(L"Converting {} UIFILE(s) in folder \"{}\" to XML text",
                                  files.size(), args.sourceFolder),
                      AnnounceFile);
}

}  // namespace tamro
