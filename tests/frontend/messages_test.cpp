// ResultText and BatchErrorText: every code, the warning details, user text kept.
#include <gtest/gtest.h>

#include <string>

#include "frontend/messages.h"
#include "tests/support/code_printers.h"
#include "tests/support/table_test.h"

namespace tamro {
namespace {

using enum ItemCode;
using enum BatchError;

// A status the converter never gives, for the number's format alone.
ConvertStatus Raw(std::uint32_t value) {
  return static_cast<ConvertStatus>(value);
}

ItemResult Item(ItemCode code, ConvertStatus status = ConvertStatus::Ok, std::uint32_t unknown = 0,
                bool residFailed = false) {
  ItemResult item;
  item.name = L"%s {} %d.raw";
  item.code = code;
  item.status = status;
  item.unknownCount = unknown;
  item.residFailed = residFailed;
  return item;
}

// Each code gives its text.
const test::FunctionTable<ItemResult, std::wstring> kResultText(
    "ResultText", ResultText,
    {{"Ok", Item(ResultOk), L"OK"},
     {"OpenFailed", Item(ResultOpenFailed), L"Error: unable to open source file"},
     {"NotDuib", Item(ResultNotDuib), L"Skipped: not in DUIB format"},
     {"ConvertFailed8005", Item(ResultConvertFailed, ConvertStatus::BadSignature),
      L"Error: DUIB conversion failed (0x8005)"},
     {"ConvertFailed8001", Item(ResultConvertFailed, ConvertStatus::SizeCheck),
      L"Error: DUIB conversion failed (0x8001)"},
     {"ConvertFailed8006", Item(ResultConvertFailed, ConvertStatus::ElementCount),
      L"Error: DUIB conversion failed (0x8006)"},
     {"ConvertFailedTooLarge", Item(ResultConvertFailed, ConvertStatus::TooLarge),
      L"Error: DUIB conversion failed (0x8008)"},
     {"ConvertFailedPadsToFour", Item(ResultConvertFailed, Raw(0xA)),
      L"Error: DUIB conversion failed (0x000A)"},
     {"ConvertFailedWider", Item(ResultConvertFailed, Raw(0x12345)),
      L"Error: DUIB conversion failed (0x12345)"},
     {"ConvertFailedUpperCase", Item(ResultConvertFailed, Raw(0xabcd)),
      L"Error: DUIB conversion failed (0xABCD)"},
     {"WarningsBoth", Item(ResultWarnings, ConvertStatus::Warnings, 3, true),
      L"Warning: ResID check failed, 3 unknown XML tags found"},
     {"WarningsOneUnknown", Item(ResultWarnings, ConvertStatus::Warnings, 1, false),
      L"Warning: 1 unknown XML tags found"},
     {"WarningsManyUnknown", Item(ResultWarnings, ConvertStatus::Warnings, 4294967295u, false),
      L"Warning: 4294967295 unknown XML tags found"},
     {"WarningsResidOnly", Item(ResultWarnings, ConvertStatus::Warnings, 0, true),
      L"Warning: ResID check failed"},
     {"WarningsNeither", Item(ResultWarnings, ConvertStatus::Warnings, 0, false), L"Warning: "},
     {"CreateFailed", Item(ResultCreateFailed), L"Error: failed to create output XML file"},
     {"IdNotFound", Item(ResultIdNotFound), L"Error: resource not found"},
     {"NotFound", Item(ResultNotFound), L"Error: resource not found"},
     {"LoadFailed", Item(ResultLoadFailed), L"Error: failed to load resource"}});

TEST(ResultText, StatusIsReadOnlyForConversionFailures) {
  EXPECT_EQ(ResultText(Item(ResultOk, ConvertStatus::ElementCount)), L"OK");
  EXPECT_EQ(ResultText(Item(ResultNotDuib, ConvertStatus::ElementCount)),
            L"Skipped: not in DUIB format");
}

TEST(ResultText, WarningDetailsAreReadOnlyForWarnings) {
  EXPECT_EQ(ResultText(Item(ResultCreateFailed, ConvertStatus::Warnings, 3, true)),
            L"Error: failed to create output XML file");
}

TEST(ResultText, IdNotFoundAndNotFoundReadAlike) {
  EXPECT_EQ(ResultText(Item(ResultIdNotFound)), ResultText(Item(ResultNotFound)));
}

CommandArgs Args() {
  CommandArgs args;
  args.sourceFolder = L"/in %s {}/";
  args.fileMask = L"*%d{0}.raw";
  args.systemFile = L"/mods/%s {} shell32.dll";
  args.destFolder = L"/out %n {:>9}/";
  return args;
}

// Each error's text, with the fields filled in verbatim.
const test::FunctionTable<BatchError, std::wstring> kBatchErrorText(
    "BatchErrorText", [](BatchError code) { return BatchErrorText(code, Args()); },
    {{"DestFolder", ErrDestFolder, L"Unable to create destination folder \"/out %n {:>9}/\""},
     {"SourceFolder", ErrSourceFolder, L"Source folder \"/in %s {}/\" not found"},
     {"NoMatchingFiles", ErrNoMatchingFiles,
      L"No matching files (*%d{0}.raw) found in source folder \"/in %s {}/\""},
     {"NoIds", ErrNoIds, L"No UIFILEs specified on command line"},
     {"SysFileMissing", ErrSysFileMissing, L"System file \"/mods/%s {} shell32.dll\" not found"},
     {"SysFileLoad", ErrSysFileLoad, L"Failed to load system file \"/mods/%s {} shell32.dll\""},
     {"NoUifiles", ErrNoUifiles,
      L"No UIFILE resources found in system file \"/mods/%s {} shell32.dll\""},
     {"EnumFailed", ErrEnumFailed,
      L"Failed to enumerate UIFILE resources in system file \"/mods/%s {} "
      L"shell32.dll\""},
     {"SearchFailed", ErrSearchFailed, L"Failed to search source folder \"/in %s {}/\""}});

TEST(BatchErrorText, EmptyFieldsGiveEmptyQuotes) {
  EXPECT_EQ(BatchErrorText(ErrSysFileMissing, CommandArgs{}), L"System file \"\" not found");
}

}  // namespace
}  // namespace tamro
