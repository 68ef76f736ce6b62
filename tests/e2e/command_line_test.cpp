// Runs whose command line is missing or invalid: banner and usage, exit status 0.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/case_name.h"

namespace tamro::e2e {
namespace {

struct UsageCase {
  const char* what;
  std::vector<std::string> arguments;
};

class UsageTest : public E2eTest, public testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, PrintsBannerAndUsage) {
  ExpectTranscript(Tamro(GetParam().arguments), Transcript().Banner().Usage());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, UsageTest,
    testing::Values(UsageCase{"NoArguments", {}}, UsageCase{"FileSwitchAlone", {"-file"}},
                    UsageCase{"SysSwitchAlone", {"-sys"}},
                    UsageCase{"AnyOneArgument", {"40960.raw"}},
                    UsageCase{"BadSwitch", {"-convert", "a.raw"}},
                    UsageCase{"DoubleDashSwitch", {"--file", "a.raw"}},
                    UsageCase{"SwitchWithoutDash", {"file", "a.raw"}},
                    UsageCase{"FileTooManyArguments", {"-file", "a.raw", "out", "extra"}},
                    UsageCase{"FileEmptyBinfile", {"-file", ""}},
                    UsageCase{"SysTooFewArguments", {"-sys", "shell32.dll"}},
                    UsageCase{"SysTooManyArguments", {"-sys", "shell32.dll", "23", "out", "extra"}},
                    UsageCase{"PercentSwitch", {"%s", "%d", "{}"}}),
    test::CaseNamer());

}  // namespace
}  // namespace tamro::e2e
