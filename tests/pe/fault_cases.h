// The hostile modules of the PE builder, each with the answers that tamro gives
// for it on both platforms (the loader's, or a refusal where a read would leave
// the image): read by the reader's fault tests, and run through both builds by
// the differential test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "pe/resource_error.h"
#include "pe/resource_reader.h"
#include "tests/builders/pe_builder.h"
#include "tests/builders/pe_format.h"
#include "tests/pe/reader_test_support.h"

namespace tamro::test {

// Not an error the reader gives: the module does not load at all.
inline constexpr auto kNotAnImage = static_cast<pe::ResourceError>(0xFFFFFFFFu);

// UIFILE "NAMED" (its first name), 1 and 2 (two languages), and RT_RCDATA 5.
inline PeBuilder BaseModule(PeFormat format) {
  PeBuilder b(format);
  b.AddSection(".text", PeBytes("\xC3"));
  b.AddUifile(PeKey::Text(u"NAMED"), PeBytes("named"));
  b.AddUifile(PeKey::Id(1), PeBytes("one"));
  b.AddUifile(PeKey::Id(2), PeBytes("two en"), 0x409);
  b.AddUifile(PeKey::Id(2), PeBytes("two de"), 0x407);
  b.Add(PeKey::Id(10), PeKey::Id(5), 0, PeBytes("rcdata"));
  return b;
}

inline std::size_t SectionTableOffset(PeFormat format) {
  PeLayout layout;
  (void)BaseModule(format).Build(&layout);
  return layout.sectionTable;
}

inline std::size_t ResourceOffset(PeFormat format) {
  PeLayout layout;
  (void)BaseModule(format).Build(&layout);
  return layout.resourceOffset;
}

// The end of BaseModule's image as an offset from the resource root, and as an
// RVA: the resource section comes last and its page ends the image.
inline std::uint32_t ImageEdgeFromRoot(PeFormat format) {
  PeLayout layout;
  (void)BaseModule(format).Build(&layout);
  return pe_format::AlignUp(layout.resourceSize, pe_format::kSectionAlignment);
}
inline std::uint32_t ImageEdgeRva(PeFormat format) {
  PeLayout layout;
  (void)BaseModule(format).Build(&layout);
  return layout.resourceRva + ImageEdgeFromRoot(format);
}
// Where BaseModule's string name "NAMED" (its length field) lies, from the root.
inline std::uint32_t NamedFromRoot(PeFormat format) {
  PeLayout layout;
  const std::vector<std::uint8_t> file = BaseModule(format).Build(&layout);
  const std::uint8_t named[] = {5, 0, 'N', 0, 'A', 0, 'M', 0, 'E', 0, 'D', 0};
  const auto root = file.begin() + static_cast<std::ptrdiff_t>(layout.resourceOffset);
  return static_cast<std::uint32_t>(std::search(root, file.end(), named, std::end(named)) - root);
}
inline std::uint32_t DataEntryToTheEdge(PeFormat format) {
  return ImageEdgeFromRoot(format) - static_cast<std::uint32_t>(pe_format::kDataEntrySize);
}

// The entry count of BaseModule's first language table (UIFILE "NAMED", after
// the root with 2 types and name tables of 3 and 1 names) at which the last
// entry's identifier, the last field that the existence test reads, ends at the
// image edge.
inline std::uint16_t LanguagesToTheEdge(PeFormat format) {
  using namespace pe_format;
  constexpr std::size_t kFirstEntry = 4 * kDirectorySize + (2 + 3 + 1) * kEntrySize;
  return static_cast<std::uint16_t>((ImageEdgeFromRoot(format) - kFirstEntry - 4) / kEntrySize + 1);
}

struct FaultCase {
  const char* label;
  std::function<void(PeBuilder&, PeFormat)> fault;
  pe::ResourceError enumCode = kOk;  // EnumNames("UIFILE"), or kNotAnImage when the load fails
  pe::ResourceError checkNamed = kOk;
  pe::DataLookup findNamed = kFound;
  pe::ResourceError checkTwo = kOk;
  pe::DataLookup findTwo = kFound;
};

inline const std::vector<FaultCase>& FaultCases() {
  static const std::vector<FaultCase> cases = {
      {"valid", [](PeBuilder&, PeFormat) {}, kOk, kOk, kFound, kOk, kFound},
      {"truncated in the DOS header", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0x3E; },
       kNotAnImage},
      {"truncated in the PE signature", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0x82; },
       kNotAnImage},
      {"truncated in the file header", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0x90; },
       kNotAnImage},
      {"truncated in the optional header",
       [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0xD0; }, kNotAnImage},
      {"truncated in the section table",
       [](PeBuilder& b, PeFormat f) { b.faults.truncateAt = SectionTableOffset(f) + 50; },
       kNotAnImage},
      {"truncated in the resource section",
       [](PeBuilder& b, PeFormat f) { b.faults.truncateAt = ResourceOffset(f) + 40; }, kNotAnImage},
      {"empty file", [](PeBuilder& b, PeFormat) { b.faults.truncateAt = 0; }, kNotAnImage},
      {"no MZ", [](PeBuilder& b, PeFormat) { b.faults.badDosMagic = true; }, kNotAnImage},
      {"no PE signature", [](PeBuilder& b, PeFormat) { b.faults.badPeSignature = true; },
       kNotAnImage},
      {"e_lfanew past the end", [](PeBuilder& b, PeFormat) { b.faults.lfanew = 0xFFFFFFF0u; },
       kNotAnImage},
      {"e_lfanew near the end",
       [](PeBuilder& b, PeFormat f) {
         b.faults.lfanew = static_cast<std::uint32_t>(b.Build().size() - 6);
         (void)f;
       },
       kNotAnImage},
      {"ROM optional header magic", [](PeBuilder& b, PeFormat) { b.faults.optionalMagic = 0x107; },
       kNotAnImage},
      {"PE32 magic on the other layout",
       [](PeBuilder& b, PeFormat f) {
         b.faults.optionalMagic = f == PeFormat::Pe32 ? 0x20B : 0x10B;
       },
       // Read with the other layout, the directory count is a zero field.
       kTypeNotFound, kTypeNotFound, kNotFound, kTypeNotFound, kNotFound},
      {"optional header too short",
       [](PeBuilder& b, PeFormat) { b.faults.sizeOfOptionalHeader = 0x40; }, kNotAnImage},
      {"optional header past the end",
       [](PeBuilder& b, PeFormat) { b.faults.sizeOfOptionalHeader = 0xFFFF; }, kNotAnImage},
      {"section count past the end",
       [](PeBuilder& b, PeFormat) { b.faults.numberOfSections = 0xFFFF; }, kNotAnImage},
      {"overlapping sections", [](PeBuilder& b, PeFormat) { b.faults.overlappingSections = true; },
       kNotAnImage},
      {"section raw data past the end of the file",
       [](PeBuilder& b, PeFormat) { b.faults.rawDataPastEnd = true; }, kNotAnImage},
      {"no section table entries", [](PeBuilder& b, PeFormat) { b.faults.numberOfSections = 0; },
       kNoAccess, kNoAccess, kLoadFailed, kNoAccess, kLoadFailed},
      {"only two data directories",
       [](PeBuilder& b, PeFormat) { b.faults.numberOfRvaAndSizes = 2; }, kTypeNotFound,
       kTypeNotFound, kNotFound, kTypeNotFound, kNotFound},
      {"resource directory outside every section",
       [](PeBuilder& b, PeFormat) { b.faults.resourceRvaOutside = true; }, kNoAccess, kNoAccess,
       kLoadFailed, kNoAccess, kLoadFailed},
      {"data entries at 0xFFFFFF00", [](PeBuilder& b, PeFormat) { b.faults.dataRva = 0xFFFFFF00u; },
       kOk, kOk, kLoadFailed, kOk, kLoadFailed},
      {"data entries in the headers", [](PeBuilder& b, PeFormat) { b.faults.dataRva = 0x10; }, kOk,
       kOk, kFound, kOk, kFound},
      {"type entry pointing at data",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::TypeIsData; }, kTypeNotFound,
       kTypeNotFound, kNotFound, kTypeNotFound, kNotFound},
      {"names pointing at data", [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::NameIsData; },
       kOk, kNameNotFound, kNotFound, kNameNotFound, kNotFound},
      // The zeros past the section's bytes: an empty resource at RVA 0.
      {"language entries pointing at a data entry that ends at the image edge",
       [](PeBuilder& b, PeFormat f) { b.faults.languageTarget = DataEntryToTheEdge(f); }, kOk, kOk,
       kFound, kOk, kFound},
      {"language entries pointing at a data entry one byte past the image edge",
       [](PeBuilder& b, PeFormat f) { b.faults.languageTarget = DataEntryToTheEdge(f) + 1; }, kOk,
       kOk, kLoadFailed, kOk, kLoadFailed},
      // "named" is 5 bytes long, "two en" 6.
      {"data of 6 bytes ending at the image edge",
       [](PeBuilder& b, PeFormat f) { b.faults.dataRva = ImageEdgeRva(f) - 6; }, kOk, kOk, kFound,
       kOk, kFound},
      {"data of 6 bytes ending one byte past the image edge",
       [](PeBuilder& b, PeFormat f) { b.faults.dataRva = ImageEdgeRva(f) - 5; }, kOk, kOk, kFound,
       kOk, kLoadFailed},
      {"data outside every section", [](PeBuilder& b, PeFormat) { b.faults.dataRvaOutside = true; },
       kOk, kOk, kLoadFailed, kOk, kLoadFailed},
      {"data sizes past the end of the file",
       [](PeBuilder& b, PeFormat) { b.faults.dataSizePastEnd = true; }, kOk, kOk, kLoadFailed, kOk,
       kLoadFailed},
      // The type "UIFILE" is a string name too: its lookup reads outside first.
      {"string names past the end",
       [](PeBuilder& b, PeFormat) { b.faults.stringNamesPastEnd = true; }, kNoAccess, kNoAccess,
       kLoadFailed, kNoAccess, kLoadFailed},
      // A longer stored length makes "UIFILE" differ at its terminator.
      {"string names 4097 units long",
       [](PeBuilder& b, PeFormat) { b.faults.longNameLength = 4097; }, kTypeNotFound, kTypeNotFound,
       kNotFound, kTypeNotFound, kNotFound},
      {"huge entry count in the root",
       [](PeBuilder& b, PeFormat) { b.faults.hugeCountTable = PeTable::Root; }, kNoAccess,
       kNoAccess, kLoadFailed, kNoAccess, kLoadFailed},
      {"huge entry count in the names",
       [](PeBuilder& b, PeFormat) { b.faults.hugeCountTable = PeTable::FirstNames; }, kNoAccess,
       kNoAccess, kLoadFailed, kNoAccess, kLoadFailed},
      {"huge entry count in the languages",
       [](PeBuilder& b, PeFormat) { b.faults.hugeCountTable = PeTable::FirstLanguages; }, kOk,
       kNoAccess, kLoadFailed, kOk, kFound},
      // The entries past the real one read as zeros: language 0, whose data entry
      // is the root (an empty resource at RVA 0).
      {"language count reaching the image edge",
       [](PeBuilder& b, PeFormat f) {
         b.faults.hugeCountTable = PeTable::FirstLanguages;
         b.faults.hugeNamedCount = 0;
         b.faults.hugeIdCount = LanguagesToTheEdge(f);
       },
       kOk, kOk, kFound, kOk, kFound},
      {"language count one past the image edge",
       [](PeBuilder& b, PeFormat f) {
         b.faults.hugeCountTable = PeTable::FirstLanguages;
         b.faults.hugeNamedCount = 0;
         b.faults.hugeIdCount = static_cast<std::uint16_t>(LanguagesToTheEdge(f) + 1);
       },
       kOk, kNoAccess, kFound, kOk, kFound},
      {"type pointing back at the root",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::TypeIsRoot; }, kOk, kNameNotFound,
       kNotFound, kNameNotFound, kNotFound},
      {"names pointing back at their own table",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::NameIsNameTable; }, kOk, kOk, kNotFound,
       kOk, kNotFound},
      {"languages pointing back at the root",
       [](PeBuilder& b, PeFormat) { b.faults.loop = PeLoop::LanguageIsRoot; }, kOk, kOk, kNotFound,
       kOk, kFound},
      {"shared name tables", [](PeBuilder& b, PeFormat) { b.faults.shareNameTables = true; }, kOk,
       kOk, kFound, kOk, kFound},
      {"shared language tables",
       [](PeBuilder& b, PeFormat) { b.faults.shareLanguageTables = true; }, kOk, kOk, kFound, kOk,
       kFound},
  };
  return cases;
}

}  // namespace tamro::test
