// ProgramPath, ExpandEnvironment and FullPath on Linux.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "tests/platform/test_folder.h"
#include "tests/support/case_name.h"

namespace tamro::platform {
namespace {

class EnvironmentFixture {
 public:
  EnvironmentFixture() {
    ::setenv("TAMRO_TEST_VALUE", "value", 1);
    ::setenv("TAMRO_TEST_EMPTY", "", 1);
    ::setenv("TAMRO_TEST_UTF8", "caf\xC3\xA9", 1);
    ::unsetenv("TAMRO_NO_SUCH_VARIABLE");
  }
};

struct ExpandRow {
  const char* what;
  std::wstring text;
  std::wstring expanded;
};

class ExpandEnvironmentTest : public ::testing::TestWithParam<ExpandRow> {
 protected:
  EnvironmentFixture environment_;
};

TEST_P(ExpandEnvironmentTest, ExpandsDefinedNamesOnly) {
  EXPECT_EQ(ExpandEnvironment(GetParam().text), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExpandEnvironmentTest,
    ::testing::Values(
        ExpandRow{"no reference", L"/usr/lib/x.dll", L"/usr/lib/x.dll"},
        ExpandRow{"empty", L"", L""}, ExpandRow{"defined", L"%TAMRO_TEST_VALUE%/x", L"value/x"},
        ExpandRow{"defined twice", L"%TAMRO_TEST_VALUE%%TAMRO_TEST_VALUE%", L"valuevalue"},
        ExpandRow{"defined inside text", L"a%TAMRO_TEST_VALUE%b", L"avalueb"},
        ExpandRow{"defined but empty", L"[%TAMRO_TEST_EMPTY%]", L"[]"},
        ExpandRow{"utf8 value", L"%TAMRO_TEST_UTF8%", L"caf\u00E9"},
        ExpandRow{"undefined stays", L"%TAMRO_NO_SUCH_VARIABLE%/x", L"%TAMRO_NO_SUCH_VARIABLE%/x"},
        ExpandRow{"names are case sensitive", L"%tamro_test_value%", L"%tamro_test_value%"},
        ExpandRow{"undefined then defined", L"%TAMRO_NO_SUCH_VARIABLE%%TAMRO_TEST_VALUE%",
                  L"%TAMRO_NO_SUCH_VARIABLE%value"},
        ExpandRow{"undefined consumes its closing percent",
                  L"%TAMRO_NO_SUCH_VARIABLE%TAMRO_TEST_VALUE%",
                  L"%TAMRO_NO_SUCH_VARIABLE%TAMRO_TEST_VALUE%"},
        ExpandRow{"lone percent", L"100%", L"100%"},
        ExpandRow{"unclosed reference", L"%TAMRO_TEST_VALUE", L"%TAMRO_TEST_VALUE"},
        ExpandRow{"empty name", L"%%", L"%%"},
        ExpandRow{"name with equals sign", L"%TAMRO_TEST_VALUE=x%", L"%TAMRO_TEST_VALUE=x%"}),
    test::CaseNamer());

TEST(ExpandEnvironment, HasNoLengthLimit) {
  EnvironmentFixture environment;
  const std::string longValue(5000, 'v');
  ::setenv("TAMRO_TEST_LONG", longValue.c_str(), 1);
  const std::wstring tail(3000, L't');
  EXPECT_EQ(ExpandEnvironment(L"%TAMRO_TEST_LONG%" + tail), test::Widen(longValue) + tail);
  const std::wstring longText(10000, L'x');
  EXPECT_EQ(ExpandEnvironment(longText + L"%TAMRO_TEST_VALUE%"), longText + L"value");
  ::unsetenv("TAMRO_TEST_LONG");
}

TEST(ProgramPath, IsTheRunningExecutable) {
  char buffer[PATH_MAX + 1] = {};
  const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  ASSERT_GT(n, 0);
  const std::wstring path = ProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), L'/');
  EXPECT_EQ(path, test::Widen(std::string(buffer, static_cast<std::size_t>(n))));
}

struct FullPathRow {
  const char* what;
  std::wstring path;
  std::wstring absolute;  // "{cwd}" stands for the current directory
};

class FullPathTest : public ::testing::TestWithParam<FullPathRow> {};

TEST_P(FullPathTest, IsAbsoluteAndLexicallyClean) {
  char cwd[PATH_MAX + 1] = {};
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  std::wstring expected = GetParam().absolute;
  const std::size_t at = expected.find(L"{cwd}");
  if (at != std::wstring::npos) {
    std::wstring current = test::Widen(cwd);
    if (current == L"/") current.clear();
    expected.replace(at, 5, current);
    if (expected.empty()) expected = L"/";
  }
  EXPECT_EQ(FullPath(GetParam().path), std::optional<std::wstring>(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FullPathTest,
    ::testing::Values(FullPathRow{"root", L"/", L"/"}, FullPathRow{"absolute", L"/a/b", L"/a/b"},
                      FullPathRow{"trailing slash kept", L"/a/b/", L"/a/b/"},
                      FullPathRow{"dot removed", L"/a/./b", L"/a/b"},
                      FullPathRow{"dot dot removed", L"/a/b/../c", L"/a/c"},
                      FullPathRow{"dot dot at root", L"/../..", L"/"},
                      FullPathRow{"dot dot to root with slash", L"/a/../", L"/"},
                      FullPathRow{"doubled slashes", L"//a//b", L"/a/b"},
                      FullPathRow{"trailing dot", L"/a/b/.", L"/a/b"},
                      FullPathRow{"relative", L"x/y", L"{cwd}/x/y"},
                      FullPathRow{"relative folder", L"x/", L"{cwd}/x/"},
                      FullPathRow{"current", L".", L"{cwd}"},
                      FullPathRow{"relative up and back", L"x/../y", L"{cwd}/y"}),
    test::CaseNamer());

TEST(FullPath, EmptyPathHasNoFullForm) {
  EXPECT_EQ(FullPath(L""), std::nullopt);
}

TEST(FullPath, DoesNotResolveSymbolicLinks) {
  test::TestFolder folder;
  std::filesystem::create_directory(folder.Path("real"));
  std::filesystem::create_directory_symlink(folder.Path("real"), folder.Path("link"));
  EXPECT_EQ(FullPath(folder.Wide("link/x")), folder.Wide("link/x"));
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
