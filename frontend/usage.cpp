#include "frontend/usage.h"

#include <iterator>

#include "frontend/console.h"

namespace tamro {
namespace {

// Written verbatim: the percent signs around SystemRoot are not format directives.
constexpr std::wstring_view kUsage[] = {
    L"This program DOES NOT MODIFY system files in any way",
    L"",
    L"USAGE:",
    L"",
    L"   tamro -file binfile [destfolder]",
    L"",
    L"-or-",
    L"",
    L"   tamro -sys sysfile id [destfolder]",
    L"",
    L"Parameters:",
    L"",
    L"   -file\tConvert binary file(s) to XML text (see note 1)",
    L"",
    L"   binfile\tBinary file(s) to convert, specify multiple files using",
    L"   \t\twildcards (* and ?). Path can be omitted if the files to",
    L"   \t\tconvert are in the same folder as the tamro program. If a path",
    L"   \t\tis specified, it must be a fully qualified path; use quotes",
    L"   \t\tif contains spaces, can include environment variables.",
    L"",
    L"   destfolder\tOptional parameter. Destination folder for converted XML text",
    L"   \t\tfiles. Fully qualified path, use quotes if contains spaces,",
    L"   \t\tcan include environment variables. If omitted, converted XML text",
    L"   \t\tfiles will be saved in the same folder as the source binary files.",
    L"",
    L"Parameters:",
    L"",
    L"   -sys\t\tExtract one or more binary UIFILE resources from a system file",
    L"   \t\t(.exe, .dll, ...) and convert to XML text",
    L"",
    L"   sysfile\tSystem file containing binary UIFILE resources to extract.",
    L"   \t\tFully qualified path, use quotes if contains spaces, can",
    L"   \t\tinclude environment variables.",
    L"",
    L"   id\t\tID(s) of UIFILE resources to convert, can be:",
    L"   \t\t- a single UIFILE ID (e.g. 40960)",
    L"   \t\t- a comma separated list of UIFILE IDs (e.g. 23,24,25)",
    L"   \t\t- * to include all UIFILE resources in the source file",
    L"",
    L"   destfolder\tOptional parameter. Destination folder for converted XML text",
    L"   \t\tfiles. Fully qualified path, use quotes if contains spaces,",
    L"   \t\tcan include environment variables. If omitted, converted XML text",
    L"   \t\tfiles will be saved in a sub-folder of the tamro program folder",
    L"   \t\twith the same name as the source system file (e.g. \"shell32.dll\"",
    L"   \t\tsub-folder).",
    L"",
    L"NOTES:",
    L"",
    L"1. When using the -file option, the binary file(s) to convert must be in raw",
    L"   binary format (file extension is irrelevant).",
    L"",
    L"   To extract UIFILEs from system files in raw binary format:",
    L"   * Restorator: Resources menu -> Extract -> Extract as -> Extract as \".raw\"",
    L"   * ResHacker: Action menu -> Save resource as a binary file",
    L"",
    L"2. Converted XML text file(s) are saved with a .tamro.txt extension.",
    L"",
    L"3. When converting multiple UIFILE(s) (either source binary files or binary",
    L"   resources in a system file) UIFILE resources that are in text format",
    L"   or cannot be converted will be automatically skipped.",
    L"   An example is the RIBBON resource in ExplorerFrame.dll, which is not a",
    L"   binary UIFILE resource and cannot therefore be converted.",
    L"",
    L"EXAMPLES:",
    L"",
    L"* Convert a single binary file to XML text (file is in the tamro program folder):",
    L"",
    L"   tamro -file 40960.raw",
    L"",
    L"* Convert all .raw files in a folder to XML text, specifying destination folder:",
    L"",
    L"   tamro -file \"D:\\source path\\*.raw\" E:\\destpath",
    L"",
    L"* Extract a single UIFILE (40960) from ExplorerFrame.dll and convert to XML text:",
    L"",
    L"   tamro -sys c:\\windows\\system32\\explorerframe.dll 40960 e:\\destpath",
    L"",
    L"* Extract multiple UIFILEs (23, 24 and 25) from shell32.dll and convert to XML",
    L"  text (environment variable used to specify source file); output XML files are",
    L"  saved in the \"shell32.dll\" sub-folder of the tamro program folder:",
    L"",
    L"   tamro -sys \"%SystemRoot%\\system32\\shell32.dll\" 23,24,25",
    L"",
    L"* Extract all UIFILEs from ExplorerFrame.dll and convert to XML text",
    L"  (environment variable used to specify source file):",
    L"",
    L"   tamro -sys \"%SystemRoot%\\system32\\ExplorerFrame.dll\" * \"d:\\long path\"",
    L"",
    L"* Extract all UIFILEs from ExplorerFrame.dll and convert to XML text; ouput",
    L"  XML files are saved in the \"ExplorerFrame.dll\" sub-folder of the tamro",
    L"  program folder:",
    L"",
    L"   tamro -sys \"c:\\windows\\system32\\ExplorerFrame.dll\"",
    L"",
};
static_assert(std::size(kUsage) == 94);

}  // namespace

std::span<const std::wstring_view> UsageLines() {
  return kUsage;
}

void PrintUsage() {
  for (std::wstring_view line : kUsage) PrintLine(line);
}

}  // namespace tamro
