// One item from its source to its result and output file, in both kinds of
// source, and the mapping of a conversion's status onto the item.
#include "io/item_pipeline.h"
#include "io/convert_work.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "duib/convert_status.h"
#include "tests/builders/duib_builder.h"
#include "tests/builders/output_corpus.h"
#include "tests/io/fake_module.h"
#include "tests/support/case_name.h"
#include "tests/support/replaced_allocation.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using enum ItemCode;

using Bytes = std::vector<std::uint8_t>;
using test::DuibBuilder;
namespace b = test::builtin;

Bytes Clean() {
  DuibBuilder d;
  d.Empty(b::Element);
  return d.Build();
}
Bytes Unknown() {
  DuibBuilder d;
  d.Empty(0x9999);
  return d.Build();
}
Bytes Text(const char* text) {
  return Bytes(text, text + std::char_traits<char>::length(text));
}

// While not 0, every allocation of at least this many bytes fails. Nothing but
// the conversion's output buffer (128 KiB) is that large in RunItem.
std::size_t failAllocationsFrom = 0;

std::vector<std::wstring> announced;
void Announce(const std::wstring& name) {
  announced.push_back(name);
}

struct ItemRow {
  const char* what;
  std::function<Bytes()> bytes;  // written to the source; null: no source file
  bool destMissing;
  ItemCode code;
  ConvertStatus status;
  std::uint32_t unknown;
  const char* output;  // what the output file holds; null: no output file
};

class FileItemTest : public ::testing::TestWithParam<ItemRow> {};

TEST_P(FileItemTest, ConvertsWritesAndReports) {
  const ItemRow& row = GetParam();
  test::TempFolder folder;
  std::filesystem::create_directory(folder.Path("out"));
  if (row.bytes) folder.Write("a.b.raw", row.bytes());
  ItemSource source;
  source.path = folder.Wide("a.b.raw");
  source.name = L"a.b.raw";
  Destination dest{folder.Wide(row.destMissing ? "missing/" : "out/"), {}};
  announced.clear();

  const ItemResult result = RunItem(source, dest, ConvertWork(), Announce);
  EXPECT_EQ(announced, std::vector<std::wstring>{L"a.b.raw"});
  EXPECT_EQ(result.name, L"a.b.raw");
  EXPECT_EQ(result.code, row.code);
  EXPECT_EQ(result.status, row.status);
  EXPECT_EQ(result.unknownCount, row.unknown);
  if (row.output == nullptr) {
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path("out")));
  } else {
    EXPECT_EQ(test::NamesIn(folder.Path("out")), std::vector<std::string>{"a.b.tamro.txt"});
    EXPECT_EQ(test::ReadBytes(folder.Path("out/a.b.tamro.txt")), row.output);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileItemTest,
    ::testing::Values(
        ItemRow{"converts", Clean, false, ResultOk, ConvertStatus::Ok, 0, "<Element/>\r\n"},
        ItemRow{"warnings are written", Unknown, false, ResultWarnings, ConvertStatus::Warnings, 1,
                "<UNKNOWN_ELEM(9999)/>\r\n"},
        ItemRow{"not duib", [] { return Text("<duixml/>"); }, false, ResultNotDuib,
                ConvertStatus::Ok, 0, nullptr},
        ItemRow{"failed conversion", test::CountMismatchBlob, false, ResultConvertFailed,
                ConvertStatus::ElementCount, 0, nullptr},
        ItemRow{"output cannot be created", Clean, true, ResultCreateFailed, ConvertStatus::Ok, 0,
                nullptr},
        ItemRow{"a failed conversion wins over a missing folder", test::CountMismatchBlob, true,
                ResultConvertFailed, ConvertStatus::ElementCount, 0, nullptr},
        ItemRow{"missing source", nullptr, false, ResultOpenFailed, ConvertStatus::Ok, 0, nullptr}),
    test::CaseNamer());

TEST(RunItem, ConversionOutOfMemoryFailsAsTooLarge) {
  const Bytes blob = Clean();
  const test::FakeModule module(
      {pe::DataLookup::Found, blob.data(), static_cast<std::uint32_t>(blob.size())});
  test::TempFolder folder;
  ItemSource source;
  source.name = L"9";
  source.module = &module;
  failAllocationsFrom = 100000;
  Destination dest{folder.WideFolder(), {}};
  const ItemResult result = RunItem(source, dest, ConvertWork(), Announce);
  failAllocationsFrom = 0;
  EXPECT_EQ(result.code, ResultConvertFailed);
  EXPECT_EQ(result.status, ConvertStatus::TooLarge);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Root()));
}

struct ResourceRow {
  const char* what;
  std::wstring name;
  pe::DataLookup lookup;
  ItemCode selected;
  ItemCode code;
  const char* outputName;    // null: no output file
  bool outOfMemory = false;  // the lookup throws std::bad_alloc
};

class ResourceItemTest : public ::testing::TestWithParam<ResourceRow> {};

TEST_P(ResourceItemTest, ConvertsWritesAndReports) {
  const ResourceRow& row = GetParam();
  const Bytes blob = Clean();
  test::FakeModule module({row.lookup, blob.data(), static_cast<std::uint32_t>(blob.size())});
  module.outOfMemory = row.outOfMemory;
  test::TempFolder folder;
  ItemSource source;
  source.name = row.name;
  source.module = &module;
  source.resource = pe::KeyFromStored(L"looked up");
  source.selected = row.selected;

  Destination dest{folder.WideFolder(), {}};
  const ItemResult result = RunItem(source, dest, ConvertWork(), Announce);
  EXPECT_EQ(result.code, row.code);
  // Looked up under the key the batch chose, unless the batch already knows better.
  EXPECT_EQ(module.lastName.has_value() ? module.lastName->folded : u"",
            row.selected == ResultOk ? u"LOOKED UP" : u"");
  if (row.outputName == nullptr) {
    EXPECT_TRUE(std::filesystem::is_empty(folder.Root()));
  } else {
    EXPECT_EQ(test::NamesIn(folder.Root()), std::vector<std::string>{row.outputName});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResourceItemTest,
    ::testing::Values(
        ResourceRow{"the name keeps its extension", L"a.b", pe::DataLookup::Found, ResultOk,
                    ResultOk, "a.b.tamro.txt"},
        ResourceRow{"unsafe characters", L"..\\x/y:z", pe::DataLookup::Found, ResultOk, ResultOk,
                    ".._x_y_z.tamro.txt"},
        ResourceRow{"device name", L"CON", pe::DataLookup::Found, ResultOk, ResultOk,
                    "_CON.tamro.txt"},
        ResourceRow{"listed name the module lacks is not looked up", L"9", pe::DataLookup::Found,
                    ResultIdNotFound, ResultIdNotFound, nullptr},
        ResourceRow{"not found", L"9", pe::DataLookup::NotFound, ResultOk, ResultNotFound, nullptr},
        ResourceRow{"load failed", L"9", pe::DataLookup::LoadFailed, ResultOk, ResultLoadFailed,
                    nullptr},
        ResourceRow{"no memory for the lookup is a load failure", L"9", pe::DataLookup::Found,
                    ResultOk, ResultLoadFailed, nullptr, true}),
    test::CaseNamer());

struct ConvertRow {
  const char* what;
  std::function<Bytes()> bytes;
  ItemCode code;
  ConvertStatus status;
  std::uint32_t unknown;
  bool residFailed;
};

class ConvertItemTest : public ::testing::TestWithParam<ConvertRow> {};

class Discard final : public OutputSink {
 public:
  void Write(std::string_view) override {}
};

TEST_P(ConvertItemTest, MapsTheStatusOntoTheItem) {
  const ConvertRow& row = GetParam();
  const Bytes bytes = row.bytes();
  ItemResult result;
  result.name = L"item";
  Discard sink;
  ConvertItem(result, bytes.data(), static_cast<std::uint32_t>(bytes.size()), sink);
  EXPECT_EQ(result.code, row.code);
  EXPECT_EQ(result.status, row.status);
  EXPECT_EQ(result.unknownCount, row.unknown);
  EXPECT_EQ(result.residFailed, row.residFailed);
  EXPECT_EQ(result.name, L"item");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConvertItemTest,
    ::testing::Values(ConvertRow{"success leaves the code alone", Clean, ResultOk,
                                 ConvertStatus::Ok, 0, false},
                      ConvertRow{"warnings carry their details",
                                 [] {
                                   DuibBuilder d;
                                   d.Empty(0x9999);
                                   d.Resid(0, 7);
                                   return d.Build();
                                 },
                                 ResultWarnings, ConvertStatus::Warnings, 1, true},
                      ConvertRow{"count mismatch fails without details",
                                 [] {
                                   DuibBuilder d;
                                   d.Empty(0x9999);
                                   d.elementCount = 9;
                                   return d.Build();
                                 },
                                 ResultConvertFailed, ConvertStatus::ElementCount, 0, false},
                      ConvertRow{"bad version fails",
                                 [] {
                                   DuibBuilder d;
                                   d.version = 0x105;
                                   return d.Build();
                                 },
                                 ResultConvertFailed, ConvertStatus::BadSignature, 0, false},
                      ConvertRow{"short blob fails", [] { return Bytes(10, 0); },
                                 ResultConvertFailed, ConvertStatus::SizeCheck, 0, false}),
    test::CaseNamer());

}  // namespace
}  // namespace tamro

// Makes large allocations fail while a test asks for it.
void tamro::test::BeforeAllocation(std::size_t size) {
  if (tamro::failAllocationsFrom != 0 && size >= tamro::failAllocationsFrom) {
    throw std::bad_alloc();
  }
}
