// ProgramPath, ExpandEnvironment and FullPath on Linux.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "tests/support/table_test.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

class EnvironmentFixture {
 public:
  EnvironmentFixture() {
    ::setenv("TAMRO_TEST_VALUE", "value", 1);
    ::setenv("TAMRO_TEST_EMPTY", "", 1);
    ::setenv("TAMRO_TEST_UTF8", "caf\xC3\xA9", 1);
    ::unsetenv("TAMRO_NO_SUCH_VARIABLE");
    // setenv refuses a name with '='; getenv("TAMRO_TEST_EQ=B") would match this one.
    ::putenv(const_cast<char*>("TAMRO_TEST_EQ=B=C"));
  }
};

std::wstring ExpandInFixture(const std::wstring& text) {
  EnvironmentFixture environment;
  return ExpandEnvironment(text);
}

// Defined names are expanded, and nothing else.
const test::FunctionTable<std::wstring, std::wstring> kExpandEnvironment(
    "ExpandEnvironment", ExpandInFixture,
    {{"no reference", L"/usr/lib/x.dll", L"/usr/lib/x.dll"},
     {"empty", L"", L""},
     {"defined", L"%TAMRO_TEST_VALUE%/x", L"value/x"},
     {"defined twice", L"%TAMRO_TEST_VALUE%%TAMRO_TEST_VALUE%", L"valuevalue"},
     {"defined inside text", L"a%TAMRO_TEST_VALUE%b", L"avalueb"},
     {"defined but empty", L"[%TAMRO_TEST_EMPTY%]", L"[]"},
     {"utf8 value", L"%TAMRO_TEST_UTF8%", L"caf\u00E9"},
     {"undefined stays", L"%TAMRO_NO_SUCH_VARIABLE%/x", L"%TAMRO_NO_SUCH_VARIABLE%/x"},
     {"names are case sensitive", L"%tamro_test_value%", L"%tamro_test_value%"},
     {"undefined then defined", L"%TAMRO_NO_SUCH_VARIABLE%%TAMRO_TEST_VALUE%",
      L"%TAMRO_NO_SUCH_VARIABLE%value"},
     {"undefined consumes its closing percent", L"%TAMRO_NO_SUCH_VARIABLE%TAMRO_TEST_VALUE%",
      L"%TAMRO_NO_SUCH_VARIABLE%TAMRO_TEST_VALUE%"},
     {"lone percent", L"100%", L"100%"},
     {"unclosed reference", L"%TAMRO_TEST_VALUE", L"%TAMRO_TEST_VALUE"},
     {"empty name", L"%%", L"%%"},
     {"empty name then defined", L"%%%TAMRO_TEST_VALUE%", L"%%value"},
     {"name with equals sign", L"%TAMRO_TEST_VALUE=x%", L"%TAMRO_TEST_VALUE=x%"},
     {"name with equals sign is no prefix", L"%TAMRO_TEST_EQ=B%", L"%TAMRO_TEST_EQ=B%"}});

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

// readlink starts with a 256-byte buffer: this binary, linked or copied into a
// deeper folder, runs the test above there.
TEST(ProgramPath, IsWholeWhenLongerThan256Bytes) {
  test::TempFolder folder;
  const std::string name(150, 'p');
  std::filesystem::create_directories(folder.Path(name + "/" + name));
  const std::filesystem::path copy = folder.Path(name + "/" + name + "/platform_tests");
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  std::error_code error;
  std::filesystem::create_hard_link(self, copy, error);
  if (error) std::filesystem::copy_file(self, copy);
  ASSERT_GT(copy.string().size(), 300u);
  const int status = std::system(
      ("'" + copy.string() + "' --gtest_filter=ProgramPath.IsTheRunningExecutable >/dev/null")
          .c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// In a folder that holds real/deep and link -> real/deep. "{root}" stands for the
// folder as the kernel names it; "" for no full form.
struct FullPathRow {
  const char* what;
  std::string path;      // relative to the folder, or absolute when it starts with '/'
  std::string absolute;  // expected
};

void ExpectTheKernelsResolution(const FullPathRow& row) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder.Path("real/deep"));
  std::filesystem::create_directory_symlink(folder.Path("real/deep"), folder.Path("link"));
  const std::string root = std::filesystem::canonical(folder.Root()).string();
  std::string expected = row.absolute;
  if (const std::size_t at = expected.find("{root}"); at != std::string::npos) {
    expected.replace(at, 6, root);
  }
  const std::string& path = row.path;
  const std::wstring given = path.front() == '/' ? test::Widen(path) : folder.Wide(path);
  EXPECT_EQ(FullPath(given),
            expected.empty() ? std::nullopt : std::optional<std::wstring>(test::Widen(expected)));
}

const test::Table<FullPathRow> kFullPath("FullPath", ExpectTheKernelsResolution,
                                         {{"root", "/", "/"},
                                          {"dot dot at root", "/../..", "/"},
                                          {"folder", "real", "{root}/real"},
                                          {"trailing slash kept", "real/", "{root}/real/"},
                                          {"dot removed", "real/./deep", "{root}/real/deep"},
                                          {"dot dot removed", "real/deep/..", "{root}/real"},
                                          {"doubled slashes", "real//deep/", "{root}/real/deep/"},
                                          {"link resolved", "link", "{root}/real/deep"},
                                          {"link before dot dot", "link/..", "{root}/real"},
                                          {"link before dot dot slash", "link/../", "{root}/real/"},
                                          {"missing", "nosuch", ""},
                                          {"missing before dot dot", "nosuch/../real", ""}});

TEST(FullPath, RelativePathIsResolvedInTheCurrentFolder) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder.Path("real/deep"));
  std::filesystem::create_directory_symlink(folder.Path("real/deep"), folder.Path("link"));
  char previous[PATH_MAX + 1] = {};
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(folder.Root().c_str()), 0);
  const std::optional<std::wstring> relative = FullPath(L"link/../");
  const std::optional<std::wstring> current = FullPath(L".");
  ASSERT_EQ(::chdir(previous), 0);
  const std::string root = std::filesystem::canonical(folder.Root()).string();
  EXPECT_EQ(relative, test::Widen(root + "/real/"));
  EXPECT_EQ(current, test::Widen(root));
  EXPECT_EQ(FullPath(L""), std::nullopt);
}

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
