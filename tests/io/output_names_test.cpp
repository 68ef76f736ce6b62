// No item of a batch replaces the output of an earlier one: every way in which two
// items can want one output name, through the item pipeline with one destination.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "io/convert_work.h"
#include "io/item_pipeline.h"
#include "tests/builders/duib_builder.h"
#include "tests/io/fake_module.h"
#include "tests/support/case_name.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using enum ItemCode;

struct Item {
  bool file;          // a source file in the folder "in", or a resource
  std::wstring name;  // the file's name, or the resource's name text
  bool duib = true;   // false: skipped, so it writes nothing
};

struct NamesRow {
  const char* what;
  std::vector<Item> items;
  // The output of each item, in order: "" for none, "+name" for a name of its own
  // that the item's line shows.
  std::vector<std::string> linux;
  std::vector<std::string> windows = {};  // empty: as on Linux
};

class OutputNamesTest : public ::testing::TestWithParam<NamesRow> {};

void Announce(const std::wstring&) {}

// A blob whose text names the item, so every output shows whose text it holds.
std::vector<std::uint8_t> BlobOf(std::size_t item) {
  test::DuibBuilder d;
  const std::u16string id = u"item" + std::u16string(1, static_cast<char16_t>(u'0' + item));
  d.Empty(test::builtin::Element, {{test::builtin::id, d.String(id)}});
  return d.Build();
}

TEST_P(OutputNamesTest, EveryItemKeepsItsText) {
  const NamesRow& row = GetParam();
#ifdef _WIN32
  const std::vector<std::string>& expected = row.windows.empty() ? row.linux : row.windows;
#else
  const std::vector<std::string>& expected = row.linux;
#endif
  test::TempFolder folder;
  std::filesystem::create_directories(folder.Path("in"));
  std::filesystem::create_directories(folder.Path("out"));
  test::WriteBytes(folder.Path("out/x.tamro.txt"), "from an earlier run");
  Destination destination{folder.Wide("out/"), {}};
  std::vector<std::vector<std::uint8_t>> blobs;
  std::vector<std::unique_ptr<test::FakeModule>> modules;
  for (std::size_t i = 0; i < row.items.size(); ++i) {
    const Item& item = row.items[i];
    SCOPED_TRACE(i);
    blobs.push_back(item.duib ? BlobOf(i) : std::vector<std::uint8_t>{'t', 'e', 'x', 't', '!'});
    ItemSource source;
    source.name = item.name;
    if (item.file) {
      const std::string file(item.name.begin(), item.name.end());
      test::WriteBytes(folder.Path("in/" + file), blobs.back());
      source.path = folder.Wide("in/" + file);
    } else {
      modules.push_back(std::make_unique<test::FakeModule>(
          pe::ResourceData{pe::DataLookup::Found, blobs.back().data(),
                           static_cast<std::uint32_t>(blobs.back().size())}));
      source.module = modules.back().get();
    }
    const ItemResult result = RunItem(source, destination, ConvertWork(), Announce);
    EXPECT_EQ(result.code, item.duib ? ResultOk : ResultNotDuib);
    if (expected[i].empty()) continue;
    const bool renamed = expected[i].front() == '+';
    const std::string name = renamed ? expected[i].substr(1) : expected[i];
    const std::string written(result.writtenAs.begin(), result.writtenAs.end());
    EXPECT_EQ(written, renamed ? name : "") << "the line names a name of its own";
    EXPECT_EQ(test::ReadBytes(folder.Path("out/" + name)),
              "<Element id=\"item" + std::to_string(i) + "\"/>\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutputNamesTest,
    ::testing::Values(
        NamesRow{"files that differ in their extension",
                 {{true, L"x.raw"}, {true, L"x.bin"}},
                 {"x.tamro.txt", "+x~2.tamro.txt"}},
        NamesRow{"resource names that become one safe name",
                 {{false, L"A:B"}, {false, L"A_B"}},
                 {"A_B.tamro.txt", "+A_B~2.tamro.txt"}},
        // A string name cut at its first U+0000 shows as the whole shorter name.
        NamesRow{"a name cut at U+0000 meets the whole name",
                 {{false, L"AB"}, {false, L"AB"}},
                 {"AB.tamro.txt", "+AB~2.tamro.txt"}},
        NamesRow{"dot files", {{true, L".a"}, {true, L".b"}}, {".tamro.txt", "+~2.tamro.txt"}},
        NamesRow{"names that differ in case",
                 {{false, L"Case"}, {false, L"CASE"}},
                 {"Case.tamro.txt", "CASE.tamro.txt"},
                 {"Case.tamro.txt", "+CASE~2.tamro.txt"}},
        NamesRow{"files that differ in case and extension",
                 {{true, L"X.RAW"}, {true, L"x.bin"}},
                 {"X.tamro.txt", "x.tamro.txt"},
                 {"X.tamro.txt", "+x~2.tamro.txt"}},
        NamesRow{"device names",
                 {{false, L"CON"}, {false, L"con"}},
                 {"_CON.tamro.txt", "_con.tamro.txt"},
                 {"_CON.tamro.txt", "+_con~2.tamro.txt"}},
        NamesRow{"a counted name that another item wants",
                 {{true, L"x.raw"}, {true, L"x.bin"}, {true, L"x~2.raw"}},
                 {"x.tamro.txt", "+x~2.tamro.txt", "+x~2~2.tamro.txt"}},
        NamesRow{"the counter passes a name already taken",
                 {{true, L"x~2.raw"}, {true, L"x.raw"}, {true, L"x.bin"}},
                 {"x~2.tamro.txt", "x.tamro.txt", "+x~3.tamro.txt"}},
        NamesRow{"three of one name",
                 {{false, L"x"}, {false, L"x"}, {false, L"x"}},
                 {"x.tamro.txt", "+x~2.tamro.txt", "+x~3.tamro.txt"}},
        NamesRow{"an item that wrote nothing takes no name",
                 {{true, L"x.raw", false}, {true, L"x.bin"}},
                 {"", "x.tamro.txt"}}),
    test::CaseNamer());

// No output is ever written over its own source, whatever path leads there.
TEST(OutputNames, AnOutputThatIsItsOwnSourceIsNotWritten) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder.Path("in"));
  std::filesystem::create_directories(folder.Path("out"));
  const std::vector<std::uint8_t> blob = BlobOf(0);
  test::WriteBytes(folder.Path("in/x.raw"), blob);
  std::filesystem::create_hard_link(folder.Path("in/x.raw"), folder.Path("out/x.tamro.txt"));
  ItemSource source;
  source.name = L"x.raw";
  source.path = folder.Wide("in/x.raw");
  Destination destination{folder.Wide("out/"), {}};
  EXPECT_EQ(RunItem(source, destination, ConvertWork(), Announce).code, ResultReplacesSource);
  EXPECT_EQ(test::ReadBytes(folder.Path("in/x.raw")), std::string(blob.begin(), blob.end()));
}

// An output of an earlier run is replaced as before: only this batch's names count.
TEST(OutputNames, OutputsOfEarlierRunsAreReplaced) {
  OutputNames names;
  EXPECT_EQ(names.Choose(L"x.tamro.txt", L".tamro.txt"), L"x.tamro.txt");
  names.Add(L"x.tamro.txt");
  EXPECT_EQ(names.Choose(L"x.tamro.txt", L".tamro.txt"), L"x~2.tamro.txt");
  EXPECT_EQ(names.Choose(L"y.tamro.txt", L".tamro.txt"), L"y.tamro.txt");
  EXPECT_EQ(names.Choose(L"other", L".tamro.txt"), L"other") << "no extension, not taken";
  names.Add(L"other");
  EXPECT_EQ(names.Choose(L"other", L".tamro.txt"), L"other~2");
}

}  // namespace
}  // namespace tamro
