// Fuzzes the Linux resource reader on arbitrary bytes: parse, enumerate UIFILE
// and a few other types, check and find every enumerated name and some fixed
// ones. No crash, no sanitizer report, no hang; every answer is one of the
// defined codes and every resource found lies inside the input.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/seed_corpus.h"
#include "platform/posix/pe_resource_reader.h"
#include "platform/resource_module.h"
#include "tests/support/pe_builder.h"

namespace {

using tamro::platform::ResourceBytes;
using tamro::platform::ResourceLookup;
using tamro::platform::ResourceName;
using tamro::platform::pe::PeResourceReader;
using tamro::test::PeBuilder;
using tamro::test::PeBytes;
using tamro::test::PeFormat;
using tamro::test::PeKey;
using tamro::test::PeLoop;
using tamro::test::PeTable;

PeBuilder Typical(PeFormat format) {
  PeBuilder b(format);
  b.AddSection(".text", PeBytes("\xC3"));
  b.AddUifile(PeKey::Id(40960), PeBytes("duib\x05 40960"));
  b.AddUifile(PeKey::Id(1), PeBytes("duib\x05 one en"), 0x409);
  b.AddUifile(PeKey::Id(1), PeBytes("duib\x05 one de"), 0x407);
  b.AddUifile(PeKey::Id(2), PeBytes("duib\x05 two"), 0x800);
  b.AddUifile(PeKey::Text(u"SHELLVIEW"), PeBytes("duib\x05 shellview"));
  b.AddUifile(PeKey::Text(u"Pane\u00E4"), PeBytes("duib\x05 pane"), 0x411);
  b.Add(PeKey::Id(10), PeKey::Id(5), 0, PeBytes("rcdata"));
  b.Add(PeKey::Id(16), PeKey::Id(1), 0x409, PeBytes("version"));
  b.Add(PeKey::Text(u"MUI"), PeKey::Id(1), 0, PeBytes("mui"));
  return b;
}

tamro::fuzz::Seeds MakeSeeds() {
  tamro::fuzz::Seeds seeds;
  for (PeFormat format : {PeFormat::Pe32, PeFormat::Pe32Plus}) {
    seeds.push_back(Typical(format).Build());
    {
      PeBuilder b = Typical(format);
      b.dataInOwnSection = true;
      b.resourceSectionName = ".data";
      b.sortEntries = false;
      seeds.push_back(b.Build());
    }
    {
      PeBuilder b(format);
      for (std::uint16_t id = 1; id <= 24; ++id) {
        b.AddUifile(PeKey::Id(id), PeBytes("duib\x05"));
      }
      seeds.push_back(b.Build());
    }
    const auto faulty = [&](auto fault) {
      PeBuilder b = Typical(format);
      fault(b.faults);
      seeds.push_back(b.Build());
    };
    faulty([](tamro::test::PeFaults& f) { f.loop = PeLoop::TypeIsRoot; });
    faulty([](tamro::test::PeFaults& f) { f.loop = PeLoop::NameIsNameTable; });
    faulty([](tamro::test::PeFaults& f) { f.loop = PeLoop::LanguageIsRoot; });
    faulty([](tamro::test::PeFaults& f) { f.shareLanguageTables = f.shareNameTables = true; });
    faulty([](tamro::test::PeFaults& f) { f.hugeCountTable = PeTable::FirstNames; });
    faulty([](tamro::test::PeFaults& f) { f.dataRvaOutside = true; });
    faulty([](tamro::test::PeFaults& f) { f.dataSizePastEnd = true; });
    faulty([](tamro::test::PeFaults& f) { f.resourceRvaOutside = true; });
    faulty([](tamro::test::PeFaults& f) { f.longNameLength = 0x7FFF; });
    faulty([](tamro::test::PeFaults& f) { f.resourceVirtualSize = 0x40; });
    faulty([](tamro::test::PeFaults& f) { f.truncateAt = 0x3F0; });
  }
  return seeds;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsCode(std::uint32_t code) {
  namespace p = tamro::platform;
  return code == 0 || code == p::kErrorResourceTypeNotFound ||
         code == p::kErrorResourceNameNotFound || code == p::pe::kErrorInvalidData ||
         code == p::pe::kErrorInvalidParameter || code == p::pe::kErrorNotEnoughMemory;
}

volatile std::uint32_t sink;

void CheckAndFind(const PeResourceReader& reader, std::wstring_view type, const ResourceName& name,
                  const std::uint8_t* data, std::size_t size) {
  const std::uint32_t check = reader.CheckName(type, name);
  Check(IsCode(check));
  Check(reader.CheckName(type, name) == check);
  const ResourceBytes found = reader.Find(type, name);
  if (found.lookup == ResourceLookup::Found) {
    Check(found.data >= data && found.data <= data + size);
    Check(found.size <= static_cast<std::size_t>(data + size - found.data));
    // Touch every byte, so that the sanitizer sees any read outside the input.
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < found.size; ++i) sum += found.data[i];
    sink = sum;
    // A name that can be found exists.
    Check(check == 0);
  } else {
    Check(found.data == nullptr);
  }
  Check(reader.Find(type, name).lookup == found.lookup);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tamro::fuzz::WriteSeedsIfAsked(argc, argv, MakeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::unique_ptr<PeResourceReader> reader = PeResourceReader::Parse(data, size);
  if (!reader) return 0;
  for (const wchar_t* type : {L"UIFILE", L"uifile", L"#10", L"#16", L"MUI", L"#0", L"#"}) {
    std::vector<ResourceName> names;
    const std::uint32_t code = reader->EnumNames(type, names);
    Check(IsCode(code));
    if (code != 0) Check(names.empty());
    for (const ResourceName& name : names) CheckAndFind(*reader, type, name, data, size);
  }
  for (const ResourceName& name :
       {ResourceName::FromId(1), ResourceName::FromId(2), ResourceName::FromId(40960),
        ResourceName::FromId(0xFFFF), ResourceName::FromText(L"#0"), ResourceName::FromText(L"#"),
        ResourceName::FromText(L"#65536"), ResourceName::FromText(L"SHELLVIEW"),
        ResourceName::FromText(L"x"), ResourceName::FromText(L""),
        ResourceName::FromText(L"UIFILE")}) {
    CheckAndFind(*reader, L"UIFILE", name, data, size);
  }
  return 0;
}
