// ResourceModule::Load on Linux, with real files in a temporary folder.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/module_file.h"
#include "platform/resource_module.h"
#include "tests/builders/pe_format.h"
#include "tests/pe/reader_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace tamro::test {
namespace {

using platform::ResourceModule;

std::vector<std::uint8_t> Module(PeFormat format) {
  PeBuilder b(format);
  b.AddSection(".text", PeBytes("\xC3"));
  b.AddUifile(PeKey::Id(40960), PeBytes("duib 40960"));
  b.AddUifile(PeKey::Text(u"SHELL"), PeBytes("duib shell"));
  return b.Build();
}

TEST(ResourceModuleLoad, LoadsAModuleFileAndFindsItsResources) {
  const TempFolder folder;
  for (PeFormat format : {PeFormat::Pe32, PeFormat::Pe32Plus}) {
    SCOPED_TRACE(FormatName(format));
    const std::vector<std::uint8_t> bytes = Module(format);
    const auto file = folder.Write("module.dll", bytes);
    errno = EINTR;  // left over from an earlier call: only a failed read may consult it
    std::unique_ptr<ResourceModule> module = ResourceModule::Load(WidePath(file));
    ASSERT_NE(module, nullptr);
    std::vector<EnumeratedName> names;
    ASSERT_EQ(module->EnumNames(Type(L"UIFILE"), names), platform::ResourceStatus::Ok);
    EXPECT_EQ(NameTexts(names), (std::vector<std::wstring>{L"SHELL", L"#40960"}));
    EXPECT_EQ(module->CheckName(Type(L"UIFILE"), Text(L"shell")), platform::ResourceStatus::Ok);
    EXPECT_EQ(module->CheckName(Type(L"UIFILE"), Id(1)), platform::ResourceStatus::NameNotFound);
    EXPECT_EQ(module->CheckName(Type(L"MUI"), Id(1)), platform::ResourceStatus::TypeNotFound);
    const ResourceData found = module->Find(Type(L"UIFILE"), Id(40960));
    ASSERT_EQ(found.lookup, DataLookup::Found);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(found.data), found.size), "duib 40960");
    EXPECT_EQ(module->Find(Type(L"UIFILE"), Id(1)).lookup, DataLookup::NotFound);
    module.reset();
    EXPECT_EQ(ReadBytes(file), std::string(bytes.begin(), bytes.end()));  // never changed
  }
}

TEST(ResourceModuleLoad, NonAsciiPath) {
  const TempFolder folder;
  folder.Write(
      "m\xC3\xB6"
      "dule \xE2\x82\xAC.dll",
      Module(PeFormat::Pe32));
  const std::wstring path = WidePath(folder.Root()) + L"/m\u00F6dule \u20AC.dll";
  EXPECT_NE(ResourceModule::Load(path), nullptr);
}

TEST(ResourceModuleLoad, RefusesWhatIsNoImageFile) {
  const TempFolder folder;
  ASSERT_FALSE(folder.Root().empty());
  const std::wstring base = WidePath(folder.Root());
  folder.Write("text.dll", PeBytes("This is not an image, just some text.\r\n"));
  folder.Write("empty.dll", std::string_view());
  folder.Write("mz.dll", PeBytes("MZ"));
  std::filesystem::create_directory(folder.Root() / "folder.dll");
  ASSERT_EQ(mkfifo((folder.Root() / "fifo.dll").c_str(), 0600), 0);

  EXPECT_EQ(ResourceModule::Load(base), nullptr);                   // a folder
  EXPECT_EQ(ResourceModule::Load(base + L"/folder.dll"), nullptr);  // a folder
  EXPECT_EQ(ResourceModule::Load(base + L"/text.dll"), nullptr);
  EXPECT_EQ(ResourceModule::Load(base + L"/empty.dll"), nullptr);
  EXPECT_EQ(ResourceModule::Load(base + L"/mz.dll"), nullptr);
  EXPECT_EQ(ResourceModule::Load(base + L"/missing.dll"), nullptr);
  EXPECT_EQ(ResourceModule::Load(base + L"/fifo.dll"), nullptr);  // and does not block
  EXPECT_EQ(ResourceModule::Load(L""), nullptr);
  EXPECT_EQ(ResourceModule::Load(std::wstring(L"a\0b", 3)), nullptr);
  EXPECT_EQ(ResourceModule::Load(std::wstring(1, wchar_t(0xD800))), nullptr);
  EXPECT_EQ(ResourceModule::Load(L"/dev/null"), nullptr);
  // Below the module: a file that is no image is not read past its headers, and
  // none of it is handed on.
  std::string junk(8192, '\0');
  junk[0] = 'M';
  junk[1] = 'Z';
  folder.Write("junk.dll", junk);
  EXPECT_EQ(platform::ReadModuleFile(base + L"/junk.dll"), nullptr);
  EXPECT_EQ(platform::ReadModuleFile(L""), nullptr);
  EXPECT_EQ(platform::ReadModuleFile(base + L"/missing.dll"), nullptr);
  // A sysfs attribute, shorter than the 4096 bytes it claims, with a stale EINTR
  // in errno: refused at once.
  for (const char* path : {"/sys/devices/system/cpu/online", "/sys/class/net/lo/speed"}) {
    if (!std::filesystem::is_regular_file(path)) continue;
    errno = EINTR;
    EXPECT_EQ(platform::ReadModuleFile(WidePath(path)), nullptr) << path;
  }
}

// An image larger than the memory left: refused, with nothing of it kept, while a
// small one still loads under the same limit.
TEST(ResourceModuleLoad, ModuleLargerThanTheMemoryLeftIsRefused) {
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the sanitizer's allocator aborts at an address-space limit";
#endif
#endif
  const TempFolder folder;
  const auto small = folder.Write("small.dll", Module(PeFormat::Pe32Plus));
  const auto large = folder.Write("large.dll", Module(PeFormat::Pe32Plus));
  std::filesystem::resize_file(large, std::uintmax_t{1} << 30);  // sparse: a 1 GiB overlay
  const int status = RunInChild([&] {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    if (!(statm >> pages)) return 2;
    const rlim_t room = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) + (256u << 20);
    const rlimit limit{room, room};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) return 2;
    if (platform::ReadModuleFile(WidePath(large)) != nullptr) return 1;
    return platform::ReadModuleFile(WidePath(small)) != nullptr ? 0 : 3;
  });
  EXPECT_EQ(status, 0);
}

TEST(ResourceModuleLoad, HeadersPastTheFirstBytesAreReadAsFarAsTheyReach) {
  const TempFolder folder;
  // 120 sections: the section table ends past the first 4 KiB that are read first.
  PeBuilder b(PeFormat::Pe32);
  for (int i = 0; i < 120; ++i) b.AddSection(".s" + std::to_string(i), PeBytes("x"));
  b.AddUifile(PeKey::Id(1), PeBytes("far"));
  const std::unique_ptr<ResourceModule> module =
      ResourceModule::Load(WidePath(folder.Write("sections.dll", b.Build())));
  ASSERT_NE(module, nullptr);
  const ResourceData found = module->Find(Type(L"UIFILE"), Id(1));
  ASSERT_EQ(found.lookup, DataLookup::Found);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(found.data), found.size), "far");
  // The NT headers moved: the first 4 KiB end right after the file header (the
  // magic is read with more), or the section table ends exactly at the 16 MiB
  // that headers may reach, or one byte past them (turned away).
  PeBuilder moved(PeFormat::Pe32);
  moved.AddSection(".text", PeBytes("\xC3"));
  moved.AddUifile(PeKey::Id(1), PeBytes("moved"));
  PeLayout layout;
  (void)moved.Build(&layout);
  const std::size_t headers =
      layout.sectionTable + 2 * pe_format::kSectionHeaderSize - layout.ntHeaders;
  const std::size_t limit = (std::size_t{16} << 20) - headers;
  for (std::size_t at : {std::size_t{4096 - 24}, limit, limit + 1}) {
    SCOPED_TRACE(at);
    moved.faults.ntHeadersAt = at;
    const auto file = folder.Write("moved.dll", moved.Build());
    const std::unique_ptr<ResourceModule> m = ResourceModule::Load(WidePath(file));
    if (at > limit) {
      EXPECT_EQ(m, nullptr);
      EXPECT_EQ(platform::ReadModuleFile(WidePath(file)), nullptr);
      continue;
    }
    ASSERT_NE(m, nullptr);
    const ResourceData bytes = m->Find(Type(L"UIFILE"), Id(1));
    ASSERT_EQ(bytes.lookup, DataLookup::Found);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data), bytes.size), "moved");
  }
  // "MZ" whose NT headers would lie 32 MiB into a 40 MiB file: turned away unread.
  const auto far = folder.Write("far.dll", std::string_view("MZ"));
  std::filesystem::resize_file(far, 40u << 20);
  std::string dos(64, '\0');
  dos[0] = 'M';
  dos[1] = 'Z';
  dos[0x3F] = 0x02;  // e_lfanew 0x02000000
  std::fstream(far, std::ios::in | std::ios::out | std::ios::binary).write(dos.data(), 64);
  EXPECT_EQ(ResourceModule::Load(WidePath(far)), nullptr);
}

// Also for a user who does not own it, whom the kernel refuses O_NOATIME.
TEST(ResourceModuleLoad, ReadOnlyFileLoadsForItsOwnerAndForOthers) {
  const TempFolder folder;
  std::filesystem::permissions(folder.Root(), std::filesystem::perms(0755));
  const auto file = folder.Write("readonly.dll", Module(PeFormat::Pe32Plus));
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  EXPECT_NE(ResourceModule::Load(WidePath(file)), nullptr);
  const std::wstring path = WidePath(file);
  const int status = RunInChild([&] {
    if (!DropToUnprivilegedUser()) return 2;
    return ResourceModule::Load(path) != nullptr ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  // By its owner, on descriptor 0, with a stale EPERM in errno: opened once, and
  // closed again.
  const int onZero = RunInChild([&] {
    ::close(STDIN_FILENO);
    errno = EPERM;
    if (ResourceModule::Load(path) == nullptr) return 1;
    return ::fcntl(STDIN_FILENO, F_GETFD) == -1 ? 0 : 2;
  });
  EXPECT_EQ(onZero, 0);
}

TEST(ResourceModuleLoad, ModulesAreIndependent) {
  const TempFolder folder;
  PeBuilder other(PeFormat::Pe32);
  other.AddUifile(PeKey::Id(40960), PeBytes("other"));
  auto first = ResourceModule::Load(WidePath(folder.Write("a.dll", Module(PeFormat::Pe32))));
  auto second = ResourceModule::Load(WidePath(folder.Write("b.dll", other.Build())));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  const ResourceData a = first->Find(Type(L"UIFILE"), Id(40960));
  second.reset();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(a.data), a.size), "duib 40960");
}

}  // namespace
}  // namespace tamro::test
