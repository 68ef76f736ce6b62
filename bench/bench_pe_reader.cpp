// The pe/ resource reader at scale: parse a module, enumerate its UIFILE names
// and find each one, as "tamro -sys module *" does. The cost per name must stay
// flat as the count grows (linear in all), for id and for string names, from
// memory and through ResourceModule::Load on a real file.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "pe/resource_reader.h"
#include "platform/resource_module.h"
#include "tests/builders/pe_builder.h"

namespace {

using tamro::pe::EnumeratedName;
using tamro::pe::NameKey;
using tamro::test::PeBuilder;
using tamro::test::PeKey;

std::vector<std::uint8_t> Module(std::uint32_t count, bool strings, bool shared) {
  PeBuilder b(tamro::test::PeFormat::Pe32Plus);
  b.AddSection(".text", std::vector<std::uint8_t>(4096, 0xCC));
  for (std::uint32_t i = 1; i <= count; ++i) {
    const std::string text = std::to_string(i);
    std::vector<std::uint8_t> data(256, static_cast<std::uint8_t>(i));
    if (strings) {
      b.AddUifile(PeKey::Text(u"UIFILE_RESOURCE_" + std::u16string(text.begin(), text.end())),
                  std::move(data));
    } else {
      b.AddUifile(PeKey::Id(static_cast<std::uint16_t>(i)), std::move(data));
    }
  }
  b.faults.shareLanguageTables = shared;
  return b.Build();
}

// The reader asked as ResourceModule asks it on Linux.
struct InMemoryModule {
  const tamro::pe::ResourceReader& reader;
  tamro::platform::ResourceStatus EnumNames(const NameKey& type,
                                            std::vector<EnumeratedName>& names) const {
    return tamro::platform::StatusOf(reader.EnumNames(type, names));
  }
  tamro::platform::ResourceStatus CheckName(const NameKey& type, const NameKey& name) const {
    return tamro::platform::StatusOf(reader.CheckName(type, name));
  }
  tamro::pe::ResourceData Find(const NameKey& type, const NameKey& name) const {
    return reader.Find(type, name);
  }
};

template <typename Reader>
std::uint64_t EnumerateAndFind(const Reader& reader) {
  const NameKey uifile = tamro::pe::KeyFromStored(L"UIFILE");
  std::vector<EnumeratedName> names;
  if (reader.EnumNames(uifile, names) != tamro::platform::ResourceStatus::Ok) std::abort();
  std::uint64_t bytes = 0;
  for (const EnumeratedName& name : names) {
    const NameKey key = tamro::pe::KeyFromEnumerated(name);
    if (reader.CheckName(uifile, key) != tamro::platform::ResourceStatus::Ok) std::abort();
    const auto found = reader.Find(uifile, key);
    if (found.lookup != tamro::pe::DataLookup::Found) std::abort();
    bytes += found.size;
  }
  return bytes;
}

void SetCounters(benchmark::State& state) {
  state.counters["names"] = static_cast<double>(state.range(0));
  state.counters["time_per_name"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void InMemory(benchmark::State& state, bool strings, bool shared) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  const std::vector<std::uint8_t> image = Module(count, strings, shared);
  for (auto _ : state) {
    auto reader = tamro::pe::ResourceReader::Parse(
        tamro::ByteView(image.data(), static_cast<std::uint32_t>(image.size())));
    benchmark::DoNotOptimize(EnumerateAndFind(InMemoryModule{*reader}));
  }
  SetCounters(state);
}

void BM_IdNames(benchmark::State& state) {
  InMemory(state, false, false);
}
void BM_StringNames(benchmark::State& state) {
  InMemory(state, true, false);
}
void BM_SharedLanguageTable(benchmark::State& state) {
  InMemory(state, false, true);
}
BENCHMARK(BM_IdNames)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StringNames)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SharedLanguageTable)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);

// Through the file: open, read the headers, then the rest, parse, enumerate, find,
// release.
void BM_LoadFromFile(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  const std::vector<std::uint8_t> image = Module(count, false, false);
  std::string folder = (std::filesystem::temp_directory_path() / "tamro-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) std::abort();
  const std::filesystem::path file = std::filesystem::path(folder) / "module.dll";
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
  for (auto _ : state) {
    auto module = tamro::platform::ResourceModule::Load(file.wstring());
    benchmark::DoNotOptimize(EnumerateAndFind(*module));
  }
  SetCounters(state);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadFromFile)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
