// The reader on a module that real tools made: a resource script compiled by
// mingw-w64's windres and linked into a PE32+ DLL by its ld, so the layout is a
// real linker's, not our builder's. Skipped where those tools are missing.
#include <gtest/gtest.h>

#include "platform/resource_module.h"
#include "tests/pe/reader_test_support.h"
#include "tests/platform/external_tools.h"
#include "tests/support/temp_folder.h"

namespace tamro::test {
namespace {

using platform::ResourceModule;

constexpr const char* kWindres = "x86_64-w64-mingw32-windres";
constexpr const char* kLinker = "x86_64-w64-mingw32-ld";

TEST(MingwModule, ReadsWhatWindresAndLdWrote) {
  if (!ProgramInstalled(kWindres) || !ProgramInstalled(kLinker)) {
    GTEST_SKIP() << kWindres << " and " << kLinker
                 << " (Debian package binutils-mingw-w64-x86-64) are not installed";
  }
  const TempFolder folder;
  const std::string dir = folder.Root().string();
  folder.Write("a.bin", PeBytes("duib\x05 first"));
  folder.Write("b.bin", PeBytes("duib\x05 second"));
  folder.Write("c.bin", PeBytes("duib\x05 german"));
  folder.Write("module.rc", PeBytes("LANGUAGE 0, 0\n"
                                    "40960 UIFILE \"a.bin\"\n"
                                    "ShellView UIFILE \"b.bin\"\n"
                                    "LANGUAGE 0x07, 0x01\n"
                                    "2 UIFILE \"c.bin\"\n"
                                    "LANGUAGE 0x09, 0x01\n"
                                    "2 UIFILE \"a.bin\"\n"
                                    "5 RCDATA \"b.bin\"\n"));
  ASSERT_TRUE(RunCommand("cd '" + dir + "' && " + kWindres + " -i module.rc -o module.o && " +
                         kLinker + " --dll -e 0 -o module.dll module.o")
                  .has_value());

  std::unique_ptr<ResourceModule> module =
      ResourceModule::Load(WidePath(folder.Root() / "module.dll"));
  ASSERT_NE(module, nullptr);
  std::vector<EnumeratedName> names;
  ASSERT_EQ(module->EnumNames(Type(L"UIFILE"), names), platform::ResourceStatus::Ok);
  // windres stores string names in upper case, sorted before the ids.
  EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"SHELLVIEW", L"#2", L"#40960"}));
  const auto text = [&](const NameKey& name) {
    const ResourceData found = module->Find(Type(L"UIFILE"), name);
    if (found.lookup != DataLookup::Found) return std::string("<not found>");
    return std::string(reinterpret_cast<const char*>(found.data), found.size);
  };
  EXPECT_EQ(text(Id(40960)), "duib\x05 first");
  EXPECT_EQ(text(Text(L"shellview")), "duib\x05 second");
  EXPECT_EQ(text(Id(2)), "duib\x05 first");  // en-US before de-DE
  EXPECT_EQ(module->CheckName(Type(L"UIFILE"), Id(5)), platform::ResourceStatus::NameNotFound);
  EXPECT_EQ(module->CheckName(Type(L"#10"), Id(5)), platform::ResourceStatus::Ok);
}

}  // namespace
}  // namespace tamro::test
