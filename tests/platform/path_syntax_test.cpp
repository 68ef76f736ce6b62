// The separator and root rules that the io path helpers are built on.
#include <gtest/gtest.h>

#include <string_view>

#include "platform/platform.h"
#include "tests/support/table_test.h"

namespace tamro::platform {
namespace {

using RootTable = test::FunctionTable<std::wstring_view, std::size_t>;

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

const RootTable kPathRootLength("PathRootLength", PathRootLength,
                                {{"empty", L"", 0},
                                 {"relative", L"dir\\x", 0},
                                 {"drive root", L"C:\\", 3},
                                 {"drive path", L"C:\\dir\\x", 3},
                                 {"drive root slash", L"C:/dir", 3},
                                 {"drive relative", L"C:x", 2},
                                 {"backslash root", L"\\", 1},
                                 {"rooted path", L"\\dir\\x", 1},
                                 {"unc share", L"\\\\srv\\share\\x", 12},
                                 {"unc share alone", L"\\\\srv\\share", 11},
                                 {"unc server alone", L"\\\\srv", 5}});

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

const RootTable kPathRootLength("PathRootLength", PathRootLength,
                                {{"empty", L"", 0},
                                 {"relative", L"dir/x", 0},
                                 {"root", L"/", 1},
                                 {"absolute", L"/usr/lib", 1},
                                 {"double slash", L"//x", 1},
                                 {"drive letters are names", L"C:/x", 0},
                                 {"backslash is a name", L"\\x", 0}});

#endif

}  // namespace
}  // namespace tamro::platform
