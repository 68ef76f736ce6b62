// The separator and root rules that the io path helpers are built on.
#include <gtest/gtest.h>

#include <string_view>

#include "platform/platform.h"
#include "tests/support/case_name.h"

namespace tamro::platform {
namespace {

struct RootRow {
  const char* what;
  std::wstring_view path;
  std::size_t rootLength;
};

class PathRootLengthTest : public ::testing::TestWithParam<RootRow> {};

TEST_P(PathRootLengthTest, MatchesTable) {
  EXPECT_EQ(PathRootLength(GetParam().path), GetParam().rootLength);
}

#ifdef _WIN32

TEST(PathSyntax, BackslashJoinsAndBothSlashesSeparate) {
  EXPECT_EQ(PathSeparator(), L'\\');
  EXPECT_TRUE(IsPathSeparator(L'\\'));
  EXPECT_TRUE(IsPathSeparator(L'/'));
  EXPECT_FALSE(IsPathSeparator(L':'));
  EXPECT_FALSE(IsPathSeparator(L'a'));
}

TEST(PathSyntax, ConsoleLineEndIsLfCr) {
  EXPECT_EQ(ConsoleLineEnd(), L"\n\r");
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PathRootLengthTest,
    ::testing::Values(RootRow{"empty", L"", 0}, RootRow{"relative", L"dir\\x", 0},
                      RootRow{"drive root", L"C:\\", 3}, RootRow{"drive path", L"C:\\dir\\x", 3},
                      RootRow{"drive root slash", L"C:/dir", 3},
                      RootRow{"drive relative", L"C:x", 2}, RootRow{"backslash root", L"\\", 1},
                      RootRow{"rooted path", L"\\dir\\x", 1},
                      RootRow{"unc share", L"\\\\srv\\share\\x", 12},
                      RootRow{"unc share alone", L"\\\\srv\\share", 11},
                      RootRow{"unc server alone", L"\\\\srv", 5}),
    test::CaseNamer());

#else

TEST(PathSyntax, SlashJoinsAndSeparates) {
  EXPECT_EQ(PathSeparator(), L'/');
  EXPECT_TRUE(IsPathSeparator(L'/'));
  EXPECT_FALSE(IsPathSeparator(L'\\'));
  EXPECT_FALSE(IsPathSeparator(L':'));
}

TEST(PathSyntax, ConsoleLineEndIsLf) {
  EXPECT_EQ(ConsoleLineEnd(), L"\n");
}

INSTANTIATE_TEST_SUITE_P(Linux, PathRootLengthTest,
                         ::testing::Values(RootRow{"empty", L"", 0},
                                           RootRow{"relative", L"dir/x", 0},
                                           RootRow{"root", L"/", 1},
                                           RootRow{"absolute", L"/usr/lib", 1},
                                           RootRow{"double slash", L"//x", 1},
                                           RootRow{"drive letters are names", L"C:/x", 0},
                                           RootRow{"backslash is a name", L"\\x", 0}),
                         test::CaseNamer());

#endif

}  // namespace
}  // namespace tamro::platform
