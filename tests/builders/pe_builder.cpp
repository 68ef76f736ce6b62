#include "tests/builders/pe_builder.h"

#include <algorithm>

#include "tests/builders/little_endian.h"
#include "tests/builders/pe_format.h"
#include "tests/builders/pe_resource_tree.h"
#include "tests/builders/pe_tree_faults.h"

namespace tamro::test {

namespace {

using namespace pe_format;

// The optional header's fields that the builder fills in as a linker does.
constexpr std::uint32_t kImageBase32 = 0x10000000;
constexpr std::uint64_t kImageBase64 = 0x180000000ull;
constexpr std::uint8_t kLinkerVersion = 14;
constexpr std::uint16_t kSystemVersion = 6;  // operating system and subsystem 6.0
constexpr std::uint64_t kStackReserve = 0x100000;
constexpr std::uint64_t kStackCommit = 0x1000;
constexpr std::uint64_t kHeapReserve = 0x100000;
constexpr std::uint64_t kHeapCommit = 0x1000;
// Where the faults put the resource directory and the resource section's raw end.
constexpr std::uint32_t kResourceOutsideDistance = 0x10000;
constexpr std::uint32_t kRawDataPastEndExtra = 0x10000;

// A section to be written: the caller's, the resource tree, or its data.
struct Part {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// Where the headers end and the sections lie, in the image and in the file.
struct Placement {
  bool pe32Plus = false;
  std::uint32_t optionalSize = 0;  // with all 16 data directories
  std::size_t sectionTable = 0;
  std::uint32_t headersSize = 0;
  std::uint32_t imageSize = 0;
  std::vector<std::uint32_t> rvas, rawOffsets, rawSizes;
};

constexpr std::size_t kFileHeader = kLfanew + kSignatureSize;
constexpr std::size_t kOptional = kFileHeader + kFileHeaderSize;

// Sections follow the headers, each at the next section (and file) alignment;
// an empty section has no raw data.
Placement Place(const std::vector<Part>& parts, bool pe32Plus) {
  Placement p;
  p.pe32Plus = pe32Plus;
  p.optionalSize =
      static_cast<std::uint32_t>((pe32Plus ? kOptDataDirectories64 : kOptDataDirectories32) +
                                 kDataDirectoryCount * kDataDirectorySize);
  p.sectionTable = kOptional + p.optionalSize;
  p.headersSize = AlignUp(p.sectionTable + kSectionHeaderSize * parts.size(), kFileAlignment);
  std::uint32_t rva = kSectionAlignment;
  std::uint32_t raw = p.headersSize;
  for (const Part& part : parts) {
    p.rvas.push_back(rva);
    p.rawOffsets.push_back(part.bytes.empty() ? 0 : raw);
    p.rawSizes.push_back(AlignUp(part.bytes.size(), kFileAlignment));
    rva += AlignUp(std::max<std::size_t>(part.bytes.size(), 1), kSectionAlignment);
    raw += p.rawSizes.back();
  }
  p.imageSize = rva;
  return p;
}

void WriteDosHeader(std::vector<std::uint8_t>& image, const PeFaults& f) {
  image[0] = f.badDosMagic ? 'Z' : 'M';
  image[1] = f.badDosMagic ? 'M' : 'Z';
  Put32(image, kDosLfanew, f.lfanew.value_or(kLfanew));
  if (f.dosMaxAlloc) Put16(image, kDosMaxAlloc, *f.dosMaxAlloc);
  image[kLfanew] = 'P';
  image[kLfanew + 1] = f.badPeSignature ? 'X' : 'E';
}

void WriteFileHeader(std::vector<std::uint8_t>& image, const Placement& p, std::size_t sections,
                     const PeFaults& f) {
  Put16(image, kFileHeader + kFileMachine, p.pe32Plus ? kMachineAmd64 : kMachineI386);
  Put16(image, kFileHeader + kFileNumberOfSections,
        f.numberOfSections.value_or(static_cast<std::uint16_t>(sections)));
  Put16(image, kFileHeader + kFileSizeOfOptionalHeader,
        f.sizeOfOptionalHeader.value_or(static_cast<std::uint16_t>(p.optionalSize)));
  Put16(image, kFileHeader + kFileCharacteristics,
        p.pe32Plus ? kDllCharacteristics64 : kDllCharacteristics32);
}

// The stack and heap sizes: four fields of the pointer's width.
void WriteReserves(std::vector<std::uint8_t>& image, bool pe32Plus) {
  const std::size_t width = pe32Plus ? 8 : 4;
  std::size_t at = kOptional + kOptSizeOfStackReserve;
  for (std::uint64_t value : {kStackReserve, kStackCommit, kHeapReserve, kHeapCommit}) {
    PutLE(image, at, value, width);
    at += width;
  }
}

void WriteOptionalHeader(std::vector<std::uint8_t>& image, const Placement& p, const PeFaults& f) {
  Put16(image, kOptional + kOptMagic,
        f.optionalMagic.value_or(p.pe32Plus ? kMagicPe32Plus : kMagicPe32));
  image[kOptional + kOptMajorLinkerVersion] = kLinkerVersion;
  if (!p.pe32Plus) {
    Put32(image, kOptional + kOptImageBase32, kImageBase32);
  } else {
    Put64(image, kOptional + kOptImageBase64, kImageBase64);
  }
  Put32(image, kOptional + kOptSectionAlignment, f.sectionAlignment.value_or(kSectionAlignment));
  Put32(image, kOptional + kOptFileAlignment, kFileAlignment);
  Put16(image, kOptional + kOptMajorOperatingSystemVersion, kSystemVersion);
  Put16(image, kOptional + kOptMajorSubsystemVersion, kSystemVersion);
  Put32(image, kOptional + kOptSizeOfImage, f.sizeOfImage.value_or(p.imageSize));
  Put32(image, kOptional + kOptSizeOfHeaders, f.sizeOfHeaders.value_or(p.headersSize));
  Put16(image, kOptional + kOptSubsystem, kSubsystemWindowsGui);
  Put16(image, kOptional + kOptDllCharacteristics, kDynamicBaseNxCompatible);
  WriteReserves(image, p.pe32Plus);
  Put32(image, kOptional + (p.pe32Plus ? kOptNumberOfRvaAndSizes64 : kOptNumberOfRvaAndSizes32),
        f.numberOfRvaAndSizes.value_or(kDataDirectoryCount));
}

void WriteResourceDirectory(std::vector<std::uint8_t>& image, const Placement& p,
                            std::uint32_t resourceRva, std::size_t size, const PeFaults& f) {
  const std::size_t entry = kOptional +
                            (p.pe32Plus ? kOptDataDirectories64 : kOptDataDirectories32) +
                            kResourceDirectoryIndex * kDataDirectorySize;
  Put32(image, entry, f.resourceRvaOutside ? p.imageSize + kResourceOutsideDistance : resourceRva);
  Put32(image, entry + 4, static_cast<std::uint32_t>(size));
}

// The section headers; the faults aimed at a section touch the resource section
// (index `resources`, when there is one) or the last.
void WriteSectionTable(std::vector<std::uint8_t>& image, const std::vector<Part>& parts,
                       const Placement& p, std::optional<std::size_t> resources,
                       const PeFaults& f) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t at = p.sectionTable + kSectionHeaderSize * i;
    const Part& s = parts[i];
    for (std::size_t c = 0; c < kSecNameSize && c < s.name.size(); ++c) {
      image[at + kSecName + c] = static_cast<std::uint8_t>(s.name[c]);
    }
    const bool isResources = resources == i;
    auto virtualSize = static_cast<std::uint32_t>(s.bytes.size());
    std::uint32_t rawSize = p.rawSizes[i];
    std::uint32_t sectionRva = p.rvas[i];
    if (isResources) {
      if (f.resourceVirtualSize) virtualSize = *f.resourceVirtualSize;
      if (f.rawDataPastEnd) rawSize += kRawDataPastEndExtra;
    }
    if (f.overlappingSections && i + 1 == parts.size() && i > 0) sectionRva = p.rvas[0];
    Put32(image, at + kSecVirtualSize, virtualSize);
    Put32(image, at + kSecVirtualAddress, sectionRva);
    Put32(image, at + kSecSizeOfRawData, rawSize);
    const bool shifted = isResources && p.rawOffsets[i] != 0;
    const std::uint32_t rawOffset =
        p.rawOffsets[i] == 0 ? f.emptySectionRawOffset.value_or(0) : p.rawOffsets[i];
    Put32(image, at + kSecPointerToRawData, rawOffset + (shifted ? f.rawDataOffsetDelta : 0));
    Put32(image, at + kSecCharacteristics,
          s.name == ".text" ? kCodeSection : kInitializedDataSection);
  }
}

// Each section's raw data, padded to the file alignment.
void AppendSections(std::vector<std::uint8_t>& image, const std::vector<Part>& parts,
                    const Placement& p) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    image.resize(p.rawOffsets[i] == 0 ? image.size() : p.rawOffsets[i], 0);
    image.insert(image.end(), parts[i].bytes.begin(), parts[i].bytes.end());
    image.resize(image.size() + (p.rawSizes[i] - parts[i].bytes.size()), 0);
  }
}

}  // namespace

std::vector<std::uint8_t> PeBytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

PeBuilder& PeBuilder::Add(PeKey type, PeKey name, std::uint16_t language,
                          std::vector<std::uint8_t> data) {
  resources_.push_back(PeResource{std::move(type), std::move(name), language, std::move(data)});
  return *this;
}

PeBuilder& PeBuilder::AddUifile(PeKey name, std::vector<std::uint8_t> data,
                                std::uint16_t language) {
  return Add(PeKey::Text(u"UIFILE"), std::move(name), language, std::move(data));
}

PeBuilder& PeBuilder::AddSection(std::string name, std::vector<std::uint8_t> bytes) {
  sections_.push_back(Section{std::move(name), std::move(bytes)});
  return *this;
}

std::vector<std::uint8_t> PeBuilder::Build(PeLayout* layout) const {
  // The tree, in the order resource compilers write it.
  const std::vector<TypeNode> types = OrderedTree(resources_, sortEntries);
  Tree tree = Serialize(types, dataInOwnSection);

  // Sections: the caller's, then the tree, then (optionally) its data.
  std::vector<Part> parts;
  for (const Section& s : sections_) parts.push_back(Part{s.name, s.bytes});
  std::optional<std::size_t> resources;
  if (!types.empty()) {
    resources = parts.size();
    parts.push_back(Part{resourceSectionName, tree.block});
    if (dataInOwnSection) parts.push_back(Part{".rdata", tree.data});
  }
  const Placement place = Place(parts, format_ == PeFormat::Pe32Plus);

  // The tree is patched with RVAs and faults where it is placed.
  std::vector<std::uint8_t>& block = resources ? parts[*resources].bytes : tree.block;
  const std::uint32_t resourceRva = resources ? place.rvas[*resources] : 0;
  if (resources) {
    const std::uint32_t dataRva = dataInOwnSection ? place.rvas[*resources + 1] : resourceRva;
    PatchDataEntries(block, tree, types, dataRva, place.imageSize, faults);
    PatchTreeFaults(block, tree, types, faults);
  }

  std::vector<std::uint8_t> image(place.headersSize, 0);
  WriteDosHeader(image, faults);
  WriteFileHeader(image, place, parts.size(), faults);
  WriteOptionalHeader(image, place, faults);
  if (resources) WriteResourceDirectory(image, place, resourceRva, block.size(), faults);
  WriteSectionTable(image, parts, place, resources, faults);
  AppendSections(image, parts, place);
  image.insert(image.end(), faults.overlay.begin(), faults.overlay.end());
  if (faults.ntHeadersAt) {
    const std::size_t end = place.sectionTable + kSectionHeaderSize * parts.size();
    const std::vector<std::uint8_t> headers(image.begin() + kLfanew, image.begin() + end);
    image.resize(std::max(image.size(), *faults.ntHeadersAt + headers.size()), 0);
    std::copy(headers.begin(), headers.end(), image.begin() + *faults.ntHeadersAt);
    Put32(image, kDosLfanew, static_cast<std::uint32_t>(*faults.ntHeadersAt));
  }

  if (layout != nullptr) {
    layout->ntHeaders = kLfanew;
    layout->sectionTable = place.sectionTable;
    layout->resourceOffset = resources ? place.rawOffsets[*resources] : 0;
    layout->resourceRva = resourceRva;
    layout->resourceSize = block.size();
  }
  if (faults.truncateAt && *faults.truncateAt < image.size()) image.resize(*faults.truncateAt);
  if (layout != nullptr) layout->fileSize = image.size();
  return image;
}

}  // namespace tamro::test
