// Builds PE32 and PE32+ module images with a resource tree, for the resource
// reader's tests, fuzz seeds and benchmarks. The images are laid out as a linker
// and resource compiler lay them out (sorted tables, section and file alignment),
// so the same bytes are read by the Linux reader, by wrestool and by Windows.
// PeFaults turns valid images into the malformed ones the reader must survive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamro::test {

// A resource type or name: an integer identifier or a string (UTF-16).
struct PeKey {
  bool isText = false;
  std::uint16_t id = 0;
  std::u16string text;

  static PeKey Id(std::uint16_t value) { return PeKey{false, value, {}}; }
  static PeKey Text(std::u16string value) { return PeKey{true, 0, std::move(value)}; }
};

enum class PeFormat { Pe32, Pe32Plus };

struct PeResource {
  PeKey type;
  PeKey name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

// A directory table of the resource tree, for faults aimed at one of them.
enum class PeTable { Root, FirstNames, FirstLanguages, AllLanguages };

// Directories that point back up the tree.
enum class PeLoop {
  None,
  TypeIsRoot,       // the first type's entry points at the root directory
  TypeIsData,       // the first type's entry points at a data entry, not a directory
  NameIsNameTable,  // every name of the first type points at that type's name table
  NameIsData,       // every name of the first type points at the first data entry
  LanguageIsRoot,   // every language of the first name is a directory: the root
};

// Malformations; everything off by default gives a valid image.
struct PeFaults {
  std::optional<std::size_t> truncateAt;  // cut the finished file to this many bytes
  bool badDosMagic = false;               // "MZ" replaced
  bool badPeSignature = false;            // "PE\0\0" replaced
  std::optional<std::uint32_t> lfanew;    // e_lfanew (default 0x80)
  std::optional<std::uint16_t> optionalMagic;
  std::optional<std::uint16_t> sizeOfOptionalHeader;
  std::optional<std::uint32_t> numberOfRvaAndSizes;
  std::optional<std::uint16_t> numberOfSections;
  bool overlappingSections = false;       // the last section starts where the first does
  bool resourceRvaOutside = false;        // data directory 2 points past every section
  bool dataRvaOutside = false;            // every data entry points past every section
  bool dataSizePastEnd = false;           // every data entry's size runs past the end of the file
  std::optional<std::uint32_t> dataRva;   // OffsetToData of every data entry
  std::optional<std::uint32_t> dataSize;  // Size of every data entry
  std::uint32_t rawDataOffsetDelta = 0;   // added to the resource section's PointerToRawData
  bool rawDataPastEnd = false;            // the resource section's raw data passes the file end
  std::optional<std::uint32_t> resourceVirtualSize;  // VirtualSize of the resource section
  bool stringNamesPastEnd = false;                   // string names point past the resource section
  std::optional<std::uint16_t> longNameLength;       // length field of every string name
  // Length field of the first type's first name, which must be a string name
  // (and of any key that shares its string).
  std::optional<std::uint16_t> firstNameLength;
  std::optional<std::uint32_t> languageTarget;  // every language entry's data entry
  PeLoop loop = PeLoop::None;
  bool shareNameTables = false;      // every type points at the first type's name table
  bool shareLanguageTables = false;  // every name points at the first name's language table
  // Entry counts written into one table header, without the entries.
  std::optional<PeTable> hugeCountTable;
  std::uint16_t hugeNamedCount = 0xFFFF;
  std::uint16_t hugeIdCount = 0xFFFF;
  std::optional<std::uint32_t> sectionAlignment;  // the field only: sections stay 0x1000 apart
  std::optional<std::uint32_t> sizeOfHeaders;
  std::optional<std::uint32_t> sizeOfImage;
  std::optional<std::uint16_t> dosMaxAlloc;  // e_maxalloc, 0 by default (linkers write 0xFFFF)
  // PointerToRawData of every section without raw data (0 by default).
  std::optional<std::uint32_t> emptySectionRawOffset;
  std::vector<std::uint8_t> overlay;  // appended after the last section
  // The NT headers and section table copied to this offset (the file grows to
  // hold them), e_lfanew pointing there.
  std::optional<std::size_t> ntHeadersAt;
};

// Where the parts of a built image lie.
struct PeLayout {
  std::size_t ntHeaders = 0;  // "PE\0\0"
  std::size_t sectionTable = 0;
  std::size_t resourceOffset = 0;  // file offset of the resource root
  std::uint32_t resourceRva = 0;
  std::size_t resourceSize = 0;  // the tree, names and (unless separate) data
  std::size_t fileSize = 0;
};

class PeBuilder {
 public:
  explicit PeBuilder(PeFormat format = PeFormat::Pe32) : format_(format) {}

  PeBuilder& Add(PeKey type, PeKey name, std::uint16_t language, std::vector<std::uint8_t> data);
  // A "UIFILE" resource, the type the program reads.
  PeBuilder& AddUifile(PeKey name, std::vector<std::uint8_t> data, std::uint16_t language = 0);
  // A section before the resource section, filled with `bytes` (e.g. ".text").
  PeBuilder& AddSection(std::string name, std::vector<std::uint8_t> bytes);

  std::string resourceSectionName = ".rsrc";
  bool dataInOwnSection = false;  // resource data in a section of its own after the tree
  bool sortEntries = true;        // as resource compilers do; off: the order of Add (strings first)
  PeFaults faults;

  // The image's bytes; an image without resources has no resource section.
  std::vector<std::uint8_t> Build(PeLayout* layout = nullptr) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::uint8_t> bytes;
  };
  PeFormat format_;
  std::vector<PeResource> resources_;
  std::vector<Section> sections_;
};

// Bytes of a text (no terminator), for readable test data.
std::vector<std::uint8_t> PeBytes(std::string_view text);

}  // namespace tamro::test
