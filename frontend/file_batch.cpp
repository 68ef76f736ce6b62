#include "frontend/file_batch.h"

#include <fmt/xchar.h>

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "engine/convert_item.h"
#include "frontend/console.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "io/source_bytes.h"
#include "platform/platform.h"

namespace tamro {
namespace {

// Full paths of the matching files, in the platform search's order; folders skipped.
std::vector<std::wstring> FindMatchingFiles(const std::wstring& pattern) {
  std::vector<std::wstring> files;
  const std::wstring folderPart = FolderOfPath(pattern);
  const std::optional<std::wstring> absolute = platform::FullPath(folderPart);
  const std::wstring folder = AddBackslash(absolute ? *absolute : folderPart);
  for (const platform::FoundEntry& entry : platform::FindEntries(pattern)) {
    if (entry.isDirectory) continue;
    files.push_back(folder + entry.name);
  }
  return files;
}

// One file: read, convert, write, report. Returns whether it counts as converted.
bool ConvertFile(const std::wstring& path, const std::wstring& destFolder) {
  ItemResult item;
  bool writing = false;
  try {
    item.name = FileNameOfPath(path);
    WriteText(fmt::format(L"\t{} | ", item.name));
    std::wstring text;
    {
      std::vector<std::uint8_t> buffer;
      item.code = ReadSourceFile(path, buffer);
      if (item.code == ResultOk) {
        ConvertItem(item, buffer.data(), static_cast<std::uint32_t>(buffer.size()), text);
      }
    }  // the buffer is released before the output is written
    if (item.code == ResultOk || item.code == ResultWarnings) {
      writing = true;
      // The name comes from the file system; SafeFileName keeps the output inside
      // destFolder whatever characters it holds.
      const std::wstring outputPath =
          destFolder + SafeFileName(RenameExtension(item.name, kOutputExtension));
      if (WriteOutputFile(outputPath, text) != ResultOk) item.code = ResultCreateFailed;
    }
  } catch (const std::bad_alloc&) {
    // Lack of memory fails this item only; the batch goes on.
    item.code = writing ? ResultCreateFailed : ResultOpenFailed;
  }
  return ReportItem(item);
}

}  // namespace

BatchOutcome RunFileBatch(CommandArgs& args) {
  BatchOutcome outcome;
  if (PathExists(args.sourceFolder) != 0) {
    outcome.error = ErrSourceFolder;
    return outcome;
  }
  args.files = FindMatchingFiles(args.sourceFolder + args.fileMask);
  outcome.total = static_cast<std::int32_t>(args.files.size());
  if (outcome.total == 0) {
    outcome.error = ErrNoMatchingFiles;
    return outcome;
  }
  EnsureFolder(args.destFolder);  // only the existence test below decides
  if (PathExists(args.destFolder) != 0) {
    outcome.error = ErrDestFolder;
    return outcome;
  }

  PrintLine(fmt::format(L"Converting {} UIFILE(s) in folder \"{}\" to XML text", args.files.size(),
                        args.sourceFolder));
  PrintLine(L"");
  for (const std::wstring& path : args.files) {
    if (ConvertFile(path, args.destFolder)) ++outcome.converted;
  }
  return outcome;
}

}  // namespace tamro
