#include "tests/differential/mutated_modules.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "tests/builders/duib_builder.h"
#include "tests/builders/little_endian.h"
#include "tests/builders/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace tamro::test {
namespace {

constexpr std::size_t kDataDirectoryResource32 = 96 + 2 * 8;  // in the optional header
constexpr std::size_t kDataDirectoryResource64 = 112 + 2 * 8;

std::vector<std::uint8_t> Blob(const std::u16string& word) {
  DuibBuilder b;
  const std::uint16_t value = b.String(word);
  b.Open(builtin::duixml).Empty(builtin::Element, {{builtin::id, value}}).Close(builtin::duixml);
  return b.Build();
}

// File offset of an RVA, through the section table of a valid seed.
std::size_t FileOffset(const std::vector<std::uint8_t>& image, std::uint32_t rva) {
  const std::size_t nt = Get32(image, 0x3C);
  const std::size_t sections = nt + 24 + Get16(image, nt + 20);
  for (std::size_t i = 0; i < Get16(image, nt + 6); ++i) {
    const std::size_t at = sections + 40 * i;
    const std::uint32_t start = Get32(image, at + 12);
    if (rva >= start && rva - start < Get32(image, at + 16)) {
      return Get32(image, at + 20) + (rva - start);
    }
  }
  return 0;
}

// Where the directory of a valid seed lies: from its root to the end of the
// last table, entry, name string or data entry of its three levels.
void LocateDirectory(SeedModule& seed) {
  const std::vector<std::uint8_t>& image = seed.bytes;
  const std::size_t nt = Get32(image, 0x3C);
  const bool pe32Plus = Get16(image, nt + 24) == 0x20B;
  const std::uint32_t rootRva =
      Get32(image, nt + 24 + (pe32Plus ? kDataDirectoryResource64 : kDataDirectoryResource32));
  const std::size_t root = FileOffset(image, rootRva);
  std::size_t end = root;
  const auto table = [&](std::size_t at, auto&& each) {
    const std::size_t count = Get16(image, at + 12) + Get16(image, at + 14);
    end = std::max(end, at + 16 + 8 * count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t name = Get32(image, at + 16 + 8 * i);
      if (name & 0x80000000u) {
        const std::size_t string = root + (name & 0x7FFFFFFF);
        end = std::max(end, string + 2 + 2 * std::size_t{Get16(image, string)});
      }
      each(root + (Get32(image, at + 20 + 8 * i) & 0x7FFFFFFF));
    }
  };
  table(root, [&](std::size_t names) {
    table(names, [&](std::size_t languages) {
      table(languages, [&](std::size_t data) { end = std::max(end, data + 16); });
    });
  });
  seed.directoryBegin = root;
  seed.directoryEnd = end;
}

SeedModule BuilderSeed(std::string label, PeFormat format, bool dataApart) {
  PeBuilder b(format);
  b.AddSection(".text", PeBytes("\xC3"));
  b.AddUifile(PeKey::Id(1), Blob(u"one"));
  b.AddUifile(PeKey::Id(2), Blob(u"two"));
  b.AddUifile(PeKey::Id(23), Blob(u"twentythree"));
  b.AddUifile(PeKey::Id(40960), Blob(u"main"));
  b.AddUifile(PeKey::Text(u"SHELLVIEW"), Blob(u"shellview"));
  b.AddUifile(PeKey::Text(u"RIBBON"), PeBytes("<ribbon/>"));
  b.AddUifile(PeKey::Text(u"#77"), Blob(u"hash77"));
  b.Add(PeKey::Id(10), PeKey::Id(5), 0, Blob(u"rcdata"));
  b.Add(PeKey::Text(u"MUI"), PeKey::Id(1), 0, PeBytes("mui"));
  b.dataInOwnSection = dataApart;
  SeedModule seed{std::move(label), b.Build(), 0, 0, "1,23,SHELLVIEW,#23,40960,7"};
  LocateDirectory(seed);
  return seed;
}

// A resource script compiled by windres and linked by ld: a real linker's layout.
bool WindresSeed(const std::filesystem::path& scratch, SeedModule& seed) {
  const std::string dir = scratch.string();
  WriteBytes(scratch / "a.bin", Blob(u"first"));
  WriteBytes(scratch / "b.bin", Blob(u"second"));
  WriteBytes(scratch / "c.bin", std::string_view("not a duib blob"));
  WriteBytes(scratch / "m.rc", std::string_view("LANGUAGE 0, 0\n"
                                                "40960 UIFILE \"a.bin\"\n"
                                                "100 UIFILE \"b.bin\"\n"
                                                "ShellView UIFILE \"b.bin\"\n"
                                                "Ribbon UIFILE \"c.bin\"\n"
                                                "5 RCDATA \"c.bin\"\n"
                                                "Pane TEXT \"a.bin\"\n"));
  const std::string command = "cd '" + dir +
                              "' && x86_64-w64-mingw32-windres -i m.rc -o m.o 2>/dev/null && "
                              "x86_64-w64-mingw32-ld --dll -e 0 -o m.dll m.o 2>/dev/null";
  if (std::system(command.c_str()) != 0) return false;
  const std::string bytes = ReadBytes(scratch / "m.dll");
  seed = SeedModule{"windres", std::vector<std::uint8_t>(bytes.begin(), bytes.end()), 0, 0,
                    "100,SHELLVIEW,40960,RIBBON,5"};
  LocateDirectory(seed);
  return seed.directoryEnd > seed.directoryBegin;
}

// splitmix64: the same stream for the same index, on every machine.
std::uint64_t Next(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

}  // namespace

std::vector<SeedModule> SeedModules(const std::filesystem::path& scratch) {
  std::vector<SeedModule> seeds;
  seeds.push_back(BuilderSeed("builder-pe32plus", PeFormat::Pe32Plus, false));
  seeds.push_back(BuilderSeed("builder-pe32-apart", PeFormat::Pe32, true));
  SeedModule windres;
  if (WindresSeed(scratch, windres)) seeds.push_back(std::move(windres));
  return seeds;
}

std::vector<std::uint8_t> Mutated(const SeedModule& seed, std::uint64_t index) {
  std::vector<std::uint8_t> bytes = seed.bytes;
  std::uint64_t state = index * 0x100000001B3u + 0xCBF29CE484222325u;
  const std::size_t span = seed.directoryEnd - seed.directoryBegin;
  const std::uint64_t changes = 1 + Next(state) % 4;
  for (std::uint64_t c = 0; c < changes; ++c) {
    const std::uint64_t kind = Next(state) % 4;
    const std::size_t at = seed.directoryBegin + Next(state) % span;
    const std::uint64_t value = Next(state);
    switch (kind) {
      case 0:  // one byte
        bytes[at] = static_cast<std::uint8_t>(value);
        break;
      case 1: {  // an aligned 32-bit field: offsets, counts, sizes
        static constexpr std::uint32_t kValues[] = {0,           0xFFFFFFFFu, 0x80000000u,
                                                    0xFFFFFF00u, 0x10,        0x7FFFFFF0u};
        const std::size_t field = at & ~std::size_t{3};
        const std::uint32_t old = Get32(bytes, field);
        const std::uint32_t choice = value % 8 < 6 ? kValues[value % 6] : old + (value >> 60);
        if (field + 4 <= bytes.size()) Put32(bytes, field, choice);
        break;
      }
      case 2: {  // an aligned 16-bit field: counts, lengths, ids
        const std::size_t field = at & ~std::size_t{1};
        const std::uint16_t old = Get16(bytes, field);
        const std::uint16_t choice = value % 3 == 0   ? static_cast<std::uint16_t>(old + 1)
                                     : value % 3 == 1 ? static_cast<std::uint16_t>(old - 1)
                                                      : static_cast<std::uint16_t>(value >> 8);
        Put16(bytes, field, choice);
        break;
      }
      default:  // one bit
        bytes[at] ^= static_cast<std::uint8_t>(1u << (value % 8));
        break;
    }
  }
  return bytes;
}

}  // namespace tamro::test
