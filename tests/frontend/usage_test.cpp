// The usage text: its blank lines, and a few lines checked character for character.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "frontend/usage.h"

namespace tamro {
namespace {

TEST(UsageTest, HasThirtyTwoEmptyLines) {
  const auto lines = UsageLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::wstring_view()), 32);
}

TEST(UsageTest, NoLineHoldsALineEnd) {
  for (std::wstring_view line : UsageLines()) {
    EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring_view::npos) << "line: " << line.size();
  }
}

struct LineCase {
  int number;  // 1-based, as the lines are counted on the console
  std::wstring text;
};

struct LineName {
  std::string operator()(const testing::TestParamInfo<LineCase>& row) const {
    return "Line" + std::to_string(row.param.number);
  }
};

class UsageLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(UsageLineTest, ReadsExactly) {
  const auto lines = UsageLines();
  ASSERT_LE(static_cast<std::size_t>(GetParam().number), lines.size());
  EXPECT_EQ(std::wstring(lines[static_cast<std::size_t>(GetParam().number - 1)]), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Usage, UsageLineTest,
    testing::Values(
        LineCase{1, L"This program DOES NOT MODIFY system files in any way"}, LineCase{2, L""},
        LineCase{3, L"USAGE:"}, LineCase{5, L"   tamro -file binfile [destfolder]"},
        LineCase{9, L"   tamro -sys sysfile id [destfolder]"},
        LineCase{13, L"   -file\tConvert binary file(s) to XML text (see note 1)"},
        LineCase{16, L"   \t\twildcards (* and ?). Path can be omitted if the files to"},
        LineCase{28, L"   -sys\t\tExtract one or more binary UIFILE resources from a system file"},
        LineCase{44, L"   \t\twith the same name as the source system file (e.g. \"shell32.dll\""},
        LineCase{53,
                 L"   * Restorator: Resources menu -> Extract -> Extract as -> Extract as "
                 L"\".raw\""},
        LineCase{56, L"2. Converted XML text file(s) are saved with a .tamro.txt extension."},
        LineCase{72, L"   tamro -file \"D:\\source path\\*.raw\" E:\\destpath"},
        LineCase{76, L"   tamro -sys c:\\windows\\system32\\explorerframe.dll 40960 e:\\destpath"},
        LineCase{82, L"   tamro -sys \"%SystemRoot%\\system32\\shell32.dll\" 23,24,25"},
        LineCase{
            87, L"   tamro -sys \"%SystemRoot%\\system32\\ExplorerFrame.dll\" * \"d:\\long path\""},
        LineCase{89,
                 L"* Extract all UIFILEs from ExplorerFrame.dll and convert to XML text; ouput"},
        LineCase{93, L"   tamro -sys \"c:\\windows\\system32\\ExplorerFrame.dll\""},
        LineCase{94, L""}),
    LineName());

}  // namespace
}  // namespace tamro
