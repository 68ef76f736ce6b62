// Fuzzes the pe/ resource reader on arbitrary bytes: parse, enumerate UIFILE and
// a few other types, check and find every enumerated name and some fixed ones.
// No crash, no sanitizer report, no hang; every answer is one of the defined
// codes, and every byte of a resource found can be read.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "fuzz/target_common.h"
#include "pe/resource_reader.h"
#include "tests/builders/pe_builder.h"

namespace {

using tamro::pe::DataLookup;
using tamro::pe::EnumeratedName;
using tamro::pe::NameKey;
using tamro::pe::ResourceData;
using tamro::pe::ResourceReader;
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

bool IsCode(tamro::pe::ResourceError code) {
  using enum tamro::pe::ResourceError;
  return code == None || code == TypeNotFound || code == NameNotFound || code == NoAccess ||
         code == InvalidParameter || code == GenFailure;
}

volatile std::uint32_t sink;

void CheckAndFind(const ResourceReader& reader, const NameKey& type, const NameKey& name) {
  const tamro::pe::ResourceError check = reader.CheckName(type, name);
  tamro::fuzz::Check(IsCode(check));
  tamro::fuzz::Check(reader.CheckName(type, name) == check);
  const ResourceData found = reader.Find(type, name);
  if (found.lookup == DataLookup::Found) {
    // Touch every byte, so that the sanitizer sees any read outside the input.
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < found.size; ++i) sum += found.data[i];
    sink = sum;
  } else {
    tamro::fuzz::Check(found.data == nullptr);
  }
  tamro::fuzz::Check(reader.Find(type, name).lookup == found.lookup);
}

}  // namespace

tamro::fuzz::Seeds tamro::fuzz::MakeSeeds() {
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  const std::unique_ptr<ResourceReader> reader =
      ResourceReader::Parse(tamro::ByteView(data, static_cast<std::uint32_t>(size)));
  if (!reader) return 0;
  for (const wchar_t* typeText : {L"UIFILE", L"uifile", L"#10", L"#16", L"MUI", L"#0", L"#"}) {
    const NameKey type = tamro::pe::KeyFromTyped(typeText);
    std::vector<EnumeratedName> names;
    tamro::fuzz::Check(IsCode(reader->EnumNames(type, names)));
    for (const EnumeratedName& name : names) {
      CheckAndFind(*reader, type, tamro::pe::KeyFromEnumerated(name));
    }
  }
  const NameKey uifile = tamro::pe::KeyFromTyped(L"UIFILE");
  for (const std::uint16_t id : std::initializer_list<std::uint16_t>{0, 1, 2, 40960, 0xFFFF}) {
    CheckAndFind(*reader, uifile, tamro::pe::KeyFromId(id));
  }
  for (const wchar_t* name : {L"#0", L"#", L"#65536", L"SHELLVIEW", L"x", L"", L"UIFILE"}) {
    CheckAndFind(*reader, uifile, tamro::pe::KeyFromTyped(name));
  }
  return 0;
}
