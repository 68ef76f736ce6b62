// ParseCommandLine: switch forms, argument counts, folders, masks, id lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "frontend/command_args.h"
#include "io/paths.h"
#include "tests/support/case_name.h"

namespace tamro {
namespace {

// `nullAt`, when not 0, is the index of an argument passed as a null pointer.
bool Parse(const std::vector<std::wstring>& arguments, CommandArgs& args, std::size_t nullAt = 0) {
  std::vector<const wchar_t*> argv;
  for (const std::wstring& a : arguments) {
    argv.push_back(nullAt != 0 && argv.size() == nullAt ? nullptr : a.c_str());
  }
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), args);
}

#ifdef _WIN32
#define SEP L"\\"
void SetVariable(const char* name, const char* value) {
  _putenv_s(name, value);
}
#else
#define SEP L"/"
void SetVariable(const char* name, const char* value) {
  setenv(name, value, 1);
}
#endif

// ---- rejected command lines ----------------------------------------------------

struct RejectCase {
  const char* what;
  std::vector<std::wstring> arguments;
  std::size_t nullAt = 0;
};

class RejectTest : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectTest, ReturnsFalse) {
  CommandArgs args;
  EXPECT_FALSE(Parse(GetParam().arguments, args, GetParam().nullAt));
}

INSTANTIATE_TEST_SUITE_P(
    Parser, RejectTest,
    testing::Values(
        RejectCase{"ProgramOnly", {L"tamro"}}, RejectCase{"FileSwitchAlone", {L"tamro", L"-file"}},
        RejectCase{"SysSwitchAlone", {L"tamro", L"-sys"}},
        RejectCase{"SwitchWithoutDash", {L"tamro", L"file", L"a.raw"}},
        RejectCase{"SysWithoutDash", {L"tamro", L"sys", L"m.dll", L"1"}},
        RejectCase{"DoubleDash", {L"tamro", L"--file", L"a.raw"}},
        RejectCase{"DoubleSlash", {L"tamro", L"//sys", L"m.dll", L"1"}},
        RejectCase{"LongerSwitch", {L"tamro", L"-files", L"a.raw"}},
        RejectCase{"ShorterSwitch", {L"tamro", L"-fil", L"a.raw"}},
        RejectCase{"DashInside", {L"tamro", L"-fi-le", L"a.raw"}},
        RejectCase{"EmptySwitch", {L"tamro", L"", L"a.raw"}},
        RejectCase{"BackslashSwitch", {L"tamro", L"\\file", L"a.raw"}},
        RejectCase{"NonAsciiFold", {L"tamro", L"-f\u0130le", L"a.raw"}},
        RejectCase{"FileTooMany", {L"tamro", L"-file", L"a.raw", L"out", L"extra"}},
        RejectCase{"FileEmptyBinfile", {L"tamro", L"-file", L""}},
        RejectCase{"FileEmptyBinfileWithDest", {L"tamro", L"-file", L"", L"out"}},
        RejectCase{"SysOnlyModule", {L"tamro", L"-sys", L"m.dll"}},
        RejectCase{"SysTooMany", {L"tamro", L"-sys", L"m.dll", L"23", L"out", L"x"}},
        RejectCase{"SysFileSwitchWithSysCount", {L"tamro", L"-file", L"m.dll", L"23", L"o", L"x"}},
        RejectCase{"NullSwitch", {L"tamro", L"-file"}, 1},
        RejectCase{"NullBinfile", {L"tamro", L"-file", L"a.raw"}, 2},
        RejectCase{"NullSysDestination", {L"tamro", L"-sys", L"m.dll", L"23", L"o"}, 4}),
    test::CaseNamer());

// ---- switch forms ----------------------------------------------------------------

struct SwitchCase {
  const char* what;
  std::wstring switchText;
  bool fileMode;
};

class SwitchTest : public testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchTest, ChoosesMode) {
  const SwitchCase& c = GetParam();
  CommandArgs args;
  const bool ok = c.fileMode ? Parse({L"tamro", c.switchText, L"a.raw"}, args)
                             : Parse({L"tamro", c.switchText, L"m.dll", L"1"}, args);
  ASSERT_TRUE(ok);
  EXPECT_EQ(args.fileMode, c.fileMode);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, SwitchTest,
    testing::Values(SwitchCase{"DashFile", L"-file", true}, SwitchCase{"SlashFile", L"/file", true},
                    SwitchCase{"UpperFile", L"-FILE", true},
                    SwitchCase{"MixedFile", L"/File", true}, SwitchCase{"DashSys", L"-sys", false},
                    SwitchCase{"SlashSys", L"/sys", false}, SwitchCase{"UpperSys", L"-SYS", false},
                    SwitchCase{"MixedSys", L"-Sys", false}),
    test::CaseNamer());

// ---- file mode -------------------------------------------------------------------

class FileModeTest : public testing::Test {
 protected:
  void SetUp() override { SetVariable("TAMRO_PARSER_TEST", "/srv/uifiles"); }
};

TEST_F(FileModeTest, MaskWithoutFolderUsesProgramFolder) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", L"40960.raw"}, args));
  ASSERT_FALSE(ProgramFolder().empty());
  EXPECT_TRUE(args.fileMode);
  EXPECT_EQ(args.sourceFolder, ProgramFolder());
  EXPECT_EQ(args.fileMask, L"40960.raw");
  EXPECT_EQ(args.destFolder, ProgramFolder());
  EXPECT_TRUE(args.items.empty());
  EXPECT_TRUE(args.systemFile.empty());
}

TEST_F(FileModeTest, FolderAndDestinationGetOneSeparator) {
  CommandArgs args;
  ASSERT_TRUE(Parse(
      {L"tamro", L"/FILE", SEP L"data" SEP L"in" SEP L"*.raw", SEP L"data" SEP L"out"}, args));
  EXPECT_EQ(args.sourceFolder, SEP L"data" SEP L"in" SEP);
  EXPECT_EQ(args.fileMask, L"*.raw");
  EXPECT_EQ(args.destFolder, SEP L"data" SEP L"out" SEP);
}

TEST_F(FileModeTest, DestinationWithSeparatorKeepsOne) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", SEP L"in" SEP L"a?.raw", SEP L"out" SEP}, args));
  EXPECT_EQ(args.fileMask, L"a?.raw");
  EXPECT_EQ(args.destFolder, SEP L"out" SEP);
}

TEST_F(FileModeTest, DefaultDestinationIsSourceFolder) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", L"rel" SEP L"x.bin"}, args));
  EXPECT_EQ(args.sourceFolder, L"rel" SEP);
  EXPECT_EQ(args.destFolder, L"rel" SEP);
}

TEST_F(FileModeTest, FolderPartIsExpandedMaskIsNot) {
  CommandArgs args;
  ASSERT_TRUE(
      Parse({L"tamro", L"-file", L"%TAMRO_PARSER_TEST%" SEP L"sub" SEP L"%TAMRO_PARSER_TEST%.raw"},
            args));
  EXPECT_EQ(args.sourceFolder, L"/srv/uifiles" SEP L"sub" SEP);
  EXPECT_EQ(args.fileMask, L"%TAMRO_PARSER_TEST%.raw");
}

TEST_F(FileModeTest, WholeArgumentVariableIsAMaskInTheProgramFolder) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", L"%TAMRO_PARSER_TEST%"}, args));
  EXPECT_EQ(args.sourceFolder, ProgramFolder());
  EXPECT_EQ(args.fileMask, L"%TAMRO_PARSER_TEST%");
}

TEST_F(FileModeTest, DestinationIsExpanded) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", L"a.raw", L"%TAMRO_PARSER_TEST%" SEP L"out"}, args));
  EXPECT_EQ(args.destFolder, L"/srv/uifiles" SEP L"out" SEP);
}

TEST_F(FileModeTest, UndefinedVariableStaysAsWritten) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", L"%TAMRO_NO_SUCH_VAR%" SEP L"a.raw"}, args));
  EXPECT_EQ(args.sourceFolder, L"%TAMRO_NO_SUCH_VAR%" SEP);
}

TEST_F(FileModeTest, PercentAndBracesPassThrough) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-file", L"%s {} dir" SEP L"%d {0}.raw", L"%s out"}, args));
  EXPECT_EQ(args.sourceFolder, L"%s {} dir" SEP);
  EXPECT_EQ(args.fileMask, L"%d {0}.raw");
  EXPECT_EQ(args.destFolder, L"%s out" SEP);
}

// ---- system-file mode ------------------------------------------------------------

TEST(SysModeTest, DefaultDestinationIsModuleSubFolderOfProgramFolder) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-sys", SEP L"win" SEP L"shell32.dll", L"23,24,25"}, args));
  EXPECT_FALSE(args.fileMode);
  EXPECT_EQ(args.systemFile, SEP L"win" SEP L"shell32.dll");
  EXPECT_EQ(args.destFolder, ProgramFolder() + L"shell32.dll" SEP);
  EXPECT_EQ(args.items, (std::vector<std::wstring>{L"23", L"24", L"25"}));
  EXPECT_TRUE(args.sourceFolder.empty());
  EXPECT_TRUE(args.fileMask.empty());
}

TEST(SysModeTest, ExplicitDestinationAndExpandedModule) {
  SetVariable("TAMRO_PARSER_TEST", "/srv/uifiles");
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"/Sys", L"%TAMRO_PARSER_TEST%" SEP L"m.dll", L"*",
                     L"%TAMRO_PARSER_TEST%" SEP L"o"},
                    args));
  EXPECT_EQ(args.systemFile, L"/srv/uifiles" SEP L"m.dll");
  EXPECT_EQ(args.destFolder, L"/srv/uifiles" SEP L"o" SEP);
}

TEST(SysModeTest, DefaultDestinationUsesExpandedModuleName) {
  SetVariable("TAMRO_PARSER_NAME", "explorerframe.dll");
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-sys", SEP L"w" SEP L"%TAMRO_PARSER_NAME%", L"1"}, args));
  EXPECT_EQ(args.destFolder, ProgramFolder() + L"explorerframe.dll" SEP);
}

struct IdListCase {
  const char* what;
  std::wstring list;
  std::vector<std::wstring> tokens;
};

class IdListTest : public testing::TestWithParam<IdListCase> {};

TEST_P(IdListTest, SplitsAtCommas) {
  CommandArgs args;
  ASSERT_TRUE(Parse({L"tamro", L"-sys", L"m.dll", GetParam().list}, args));
  EXPECT_EQ(args.items, GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, IdListTest,
    testing::Values(IdListCase{"Single", L"40960", {L"40960"}},
                    IdListCase{"Three", L"23,24,25", {L"23", L"24", L"25"}},
                    IdListCase{"StrayCommas", L",23,,24,", {L"23", L"24"}},
                    IdListCase{"OnlyComma", L",", {}}, IdListCase{"ManyCommas", L",,,", {}},
                    IdListCase{"Empty", L"", {}},
                    IdListCase{"BlankKept", L"23, 24", {L"23", L" 24"}},
                    IdListCase{"BlanksOnly", L" , ", {L" ", L" "}},
                    IdListCase{"Star", L"*", {L"*"}},
                    IdListCase{"StarInList", L"*,23", {L"*", L"23"}},
                    IdListCase{"LeadingZero", L"040960", {L"040960"}},
                    IdListCase{"Names", L"RIBBON,%s,{}", {L"RIBBON", L"%s", L"{}"}},
                    IdListCase{"Twice", L"23,23", {L"23", L"23"}}),
    test::CaseNamer());

}  // namespace
}  // namespace tamro
