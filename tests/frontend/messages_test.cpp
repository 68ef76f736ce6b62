// ResultText and BatchErrorText: every code, the warning details, user text kept.
#include <gtest/gtest.h>

#include <string>

#include "frontend/messages.h"
#include "tests/support/case_name.h"
#include "tests/support/code_printers.h"

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

struct ResultCase {
  const char* what;
  ItemResult item;
  std::wstring text;
};

class ResultTextTest : public testing::TestWithParam<ResultCase> {};

TEST_P(ResultTextTest, GivesTheCodesText) {
  EXPECT_EQ(ResultText(GetParam().item), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ResultTextTest,
    testing::Values(
        ResultCase{"Ok", Item(ResultOk), L"OK"},
        ResultCase{"OpenFailed", Item(ResultOpenFailed), L"Error: unable to open source file"},
        ResultCase{"NotDuib", Item(ResultNotDuib), L"Skipped: not in DUIB format"},
        ResultCase{"ConvertFailed8005", Item(ResultConvertFailed, ConvertStatus::BadSignature),
                   L"Error: DUIB conversion failed (0x8005)"},
        ResultCase{"ConvertFailed8001", Item(ResultConvertFailed, ConvertStatus::SizeCheck),
                   L"Error: DUIB conversion failed (0x8001)"},
        ResultCase{"ConvertFailed8006", Item(ResultConvertFailed, ConvertStatus::ElementCount),
                   L"Error: DUIB conversion failed (0x8006)"},
        ResultCase{"ConvertFailedTooLarge", Item(ResultConvertFailed, ConvertStatus::TooLarge),
                   L"Error: DUIB conversion failed (0x8008)"},
        ResultCase{"ConvertFailedPadsToFour", Item(ResultConvertFailed, Raw(0xA)),
                   L"Error: DUIB conversion failed (0x000A)"},
        ResultCase{"ConvertFailedWider", Item(ResultConvertFailed, Raw(0x12345)),
                   L"Error: DUIB conversion failed (0x12345)"},
        ResultCase{"ConvertFailedUpperCase", Item(ResultConvertFailed, Raw(0xabcd)),
                   L"Error: DUIB conversion failed (0xABCD)"},
        ResultCase{"WarningsBoth", Item(ResultWarnings, ConvertStatus::Warnings, 3, true),
                   L"Warning: ResID check failed, 3 unknown XML tags found"},
        ResultCase{"WarningsOneUnknown", Item(ResultWarnings, ConvertStatus::Warnings, 1, false),
                   L"Warning: 1 unknown XML tags found"},
        ResultCase{"WarningsManyUnknown",
                   Item(ResultWarnings, ConvertStatus::Warnings, 4294967295u, false),
                   L"Warning: 4294967295 unknown XML tags found"},
        ResultCase{"WarningsResidOnly", Item(ResultWarnings, ConvertStatus::Warnings, 0, true),
                   L"Warning: ResID check failed"},
        ResultCase{"WarningsNeither", Item(ResultWarnings, ConvertStatus::Warnings, 0, false),
                   L"Warning: "},
        ResultCase{"CreateFailed", Item(ResultCreateFailed),
                   L"Error: failed to create output XML file"},
        ResultCase{"IdNotFound", Item(ResultIdNotFound), L"Error: resource not found"},
        ResultCase{"NotFound", Item(ResultNotFound), L"Error: resource not found"},
        ResultCase{"LoadFailed", Item(ResultLoadFailed), L"Error: failed to load resource"},
        ResultCase{"ReplacesSource", Item(ResultReplacesSource),
                   L"Error: the output would replace the source file"}),
    test::CaseNamer());

TEST(ResultTextTest, StatusIsReadOnlyForConversionFailures) {
  EXPECT_EQ(ResultText(Item(ResultOk, ConvertStatus::ElementCount)), L"OK");
  EXPECT_EQ(ResultText(Item(ResultNotDuib, ConvertStatus::ElementCount)),
            L"Skipped: not in DUIB format");
}

TEST(ResultTextTest, WarningDetailsAreReadOnlyForWarnings) {
  EXPECT_EQ(ResultText(Item(ResultCreateFailed, ConvertStatus::Warnings, 3, true)),
            L"Error: failed to create output XML file");
}

TEST(ResultTextTest, IdNotFoundAndNotFoundReadAlike) {
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

struct BatchCase {
  const char* what;
  BatchError code;
  std::wstring text;
};

class BatchErrorTextTest : public testing::TestWithParam<BatchCase> {};

TEST_P(BatchErrorTextTest, FillsTheFieldsVerbatim) {
  EXPECT_EQ(BatchErrorText(GetParam().code, Args()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BatchErrorTextTest,
    testing::Values(
        BatchCase{"DestFolder", ErrDestFolder,
                  L"Unable to create destination folder \"/out %n {:>9}/\""},
        BatchCase{"SourceFolder", ErrSourceFolder, L"Source folder \"/in %s {}/\" not found"},
        BatchCase{"NoMatchingFiles", ErrNoMatchingFiles,
                  L"No matching files (*%d{0}.raw) found in source folder \"/in %s {}/\""},
        BatchCase{"NoIds", ErrNoIds, L"No UIFILEs specified on command line"},
        BatchCase{"SysFileMissing", ErrSysFileMissing,
                  L"System file \"/mods/%s {} shell32.dll\" not found"},
        BatchCase{"SysFileLoad", ErrSysFileLoad,
                  L"Failed to load system file \"/mods/%s {} shell32.dll\""},
        BatchCase{"NoUifiles", ErrNoUifiles,
                  L"No UIFILE resources found in system file \"/mods/%s {} shell32.dll\""},
        BatchCase{"EnumFailed", ErrEnumFailed,
                  L"Failed to enumerate UIFILE resources in system file \"/mods/%s {} "
                  L"shell32.dll\""},
        BatchCase{"SearchFailed", ErrSearchFailed,
                  L"Failed to search source folder \"/in %s {}/\""}),
    test::CaseNamer());

TEST(BatchErrorTextTest, EmptyFieldsGiveEmptyQuotes) {
  EXPECT_EQ(BatchErrorText(ErrSysFileMissing, CommandArgs{}), L"System file \"\" not found");
}

}  // namespace
}  // namespace tamro
