// Cross-check against an independent reader: icoutils' wrestool must list and
// extract the same UIFILE names, languages and bytes from our modules as our
// reader finds. Skipped where wrestool is not installed.
//
// wrestool 0.32 prints a string name wrongly when the type is a string too (both
// come from one static buffer), so string names are matched through the bytes
// that `wrestool -x --name=NAME` extracts, and ids through the listing.
#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <regex>
#include <set>
#include <sstream>

#include "platform/resource_module.h"
#include "tests/pe/reader_test_support.h"
#include "tests/platform/external_tools.h"
#include "tests/support/temp_folder.h"

namespace tamro::test {
namespace {

using platform::ResourceModule;

struct Listed {
  std::string type;
  std::string name;  // "123" or "'TEXT'" (unreliable for strings, see above)
  std::uint16_t language;
  std::uint64_t offset;  // an RVA, despite the name wrestool gives it
  std::uint32_t size;
};

std::vector<Listed> ListResources(const std::string& file) {
  std::vector<Listed> listed;
  const std::optional<std::string> out = RunCommand("wrestool -l '" + file + "'");
  EXPECT_TRUE(out.has_value());
  if (!out) return listed;
  const std::regex line(
      R"(--type=(\S+) --name=(\S+) --language=(\d+) \[(?:type=\S+ )?offset=0x([0-9a-fA-F]+) size=(\d+)\])");
  std::stringstream lines(*out);
  std::string text;
  while (std::getline(lines, text)) {
    std::smatch m;
    if (!std::regex_search(text, m, line)) continue;
    listed.push_back(Listed{m[1], m[2], static_cast<std::uint16_t>(std::stoul(m[3])),
                            std::stoull(m[4], nullptr, 16),
                            static_cast<std::uint32_t>(std::stoul(m[5]))});
  }
  return listed;
}

std::string Extract(const std::string& file, const std::string& name, std::uint16_t language) {
  return RunCommand("wrestool -x --raw --type=UIFILE --name=" + name +
                    " --language=" + std::to_string(language) + " '" + file + "'")
      .value_or("<wrestool failed>");
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

PeBuilder CrossCheckModule(PeFormat format) {
  PeBuilder b(format);
  b.AddSection(".text", PeBytes("\xC3\x90\x90\x90"));
  b.AddUifile(PeKey::Id(40960), PeBytes("duib id 40960 neutral"));
  b.AddUifile(PeKey::Id(1), PeBytes("duib id 1 en-US"), 0x409);
  b.AddUifile(PeKey::Id(1), PeBytes("duib id 1 de-DE"), 0x407);
  b.AddUifile(PeKey::Id(2), PeBytes("duib id 2 fr-FR"), 0x40C);
  b.AddUifile(PeKey::Id(2), PeBytes("duib id 2 de-DE, first listed"), 0x407);
  b.AddUifile(PeKey::Id(3), PeBytes("duib id 3 neutral"), 0);
  b.AddUifile(PeKey::Id(3), PeBytes("duib id 3 en-US"), 0x409);
  b.AddUifile(PeKey::Text(u"SHELLVIEW"), PeBytes("duib named SHELLVIEW"));
  b.AddUifile(PeKey::Text(u"TASKPANE"), PeBytes("duib named TASKPANE ja-JP"), 0x411);
  b.AddUifile(PeKey::Text(u"TASKPANE"), PeBytes("duib named TASKPANE system"), 0x800);
  for (std::uint16_t id = 100; id < 140; ++id) {
    b.AddUifile(PeKey::Id(id), PeBytes("bulk " + std::to_string(id)), 0x409);
  }
  b.Add(PeKey::Id(10), PeKey::Id(1), 0, PeBytes("rcdata, not a UIFILE"));
  b.Add(PeKey::Text(u"MUI"), PeKey::Id(1), 0, PeBytes("mui"));
  return b;
}

class WrestoolCrossCheck : public ::testing::TestWithParam<PeFormat> {};
INSTANTIATE_TEST_SUITE_P(Formats, WrestoolCrossCheck,
                         ::testing::Values(PeFormat::Pe32, PeFormat::Pe32Plus),
                         [](const auto& p) { return FormatName(p.param); });

TEST_P(WrestoolCrossCheck, SameNamesLanguagesAndBytes) {
  if (!ProgramInstalled("wrestool")) {
    GTEST_SKIP() << "wrestool (Debian package icoutils) is not installed; "
                    "install it to cross-check the resource reader";
  }
  const TempFolder folder;
  PeLayout layout;
  const std::vector<std::uint8_t> bytes = CrossCheckModule(GetParam()).Build(&layout);
  const std::string file = folder.Write("crosscheck.dll", bytes).string();
  std::unique_ptr<ResourceModule> module = ResourceModule::Load(WidePath(file));
  ASSERT_NE(module, nullptr);
  const ParsedImage image = ParseBytes(bytes);

  // wrestool's view of the UIFILE type, in its (the directory's) order.
  std::vector<Listed> uifiles;
  for (const Listed& l : ListResources(file)) {
    if (l.type == "'UIFILE'") uifiles.push_back(l);
  }
  ASSERT_EQ(uifiles.size(), 4u + 6u + 40u);
  std::vector<std::string> wrestoolIds;  // in listing order, once per name
  std::map<std::string, std::vector<const Listed*>> languagesById;
  for (const Listed& l : uifiles) {
    if (l.name.front() == '\'') continue;
    if (languagesById[l.name].empty()) wrestoolIds.push_back(l.name);
    languagesById[l.name].push_back(&l);
  }

  std::vector<EnumeratedName> names;
  ASSERT_EQ(module->EnumNames(Type(L"UIFILE"), names), platform::ResourceStatus::Ok);
  std::vector<std::string> ourIds;
  std::size_t stringNames = 0;
  for (const EnumeratedName& name : names) {
    if (name.isId)
      ourIds.push_back(std::to_string(name.id));
    else
      ++stringNames;
  }
  EXPECT_EQ(ourIds, wrestoolIds);
  EXPECT_EQ(stringNames, 2u);
  EXPECT_EQ(uifiles.size() -
                std::accumulate(
                    languagesById.begin(), languagesById.end(), std::size_t{0},
                    [](std::size_t sum, const auto& entry) { return sum + entry.second.size(); }),
            3u);  // the languages of the string names

  for (const EnumeratedName& name : names) {
    SCOPED_TRACE(name.isId ? std::to_string(name.id) : Narrow(name.text));
    EXPECT_EQ(module->CheckName(Type(L"UIFILE"), pe::KeyFromEnumerated(name)),
              platform::ResourceStatus::Ok);
    const ResourceData found = module->Find(Type(L"UIFILE"), pe::KeyFromEnumerated(name));
    ASSERT_EQ(found.lookup, DataLookup::Found);
    const std::string ours(reinterpret_cast<const char*>(found.data), found.size);
    // The same resource through the reader over the bytes in memory: same offset.
    const ResourceData inMemory = image.reader->Find(L"UIFILE", name);
    ASSERT_EQ(inMemory.lookup, DataLookup::Found);
    // wrestool lists RVAs; the data lie in the resource section.
    const auto offset = static_cast<std::uint64_t>(inMemory.data - image.bytes.data()) -
                        layout.resourceOffset + layout.resourceRva;

    // The listed entry with our bytes' offset and size, and its language.
    const Listed* match = nullptr;
    for (const Listed& l : uifiles) {
      if (l.offset == offset && l.size == found.size) match = &l;
    }
    ASSERT_NE(match, nullptr) << "wrestool lists no UIFILE at offset " << offset;
    const std::string wrestoolName = name.isId ? std::to_string(name.id) : Narrow(name.text);
    EXPECT_EQ(Extract(file, wrestoolName, match->language), ours);

    if (name.isId) {
      // The language we chose is the loader's choice among those wrestool lists.
      const std::vector<const Listed*>& listed = languagesById[wrestoolName];
      EXPECT_EQ(match->name, wrestoolName);
      const Listed* expected = listed.front();
      for (int preferred : {0x000, 0x400, 0x800, 0x409}) {
        auto it = std::find_if(listed.begin(), listed.end(),
                               [&](const Listed* l) { return l->language == preferred; });
        if (it != listed.end()) {
          expected = *it;
          break;
        }
      }
      EXPECT_EQ(match->language, expected->language);
    }
  }
}

}  // namespace
}  // namespace tamro::test
