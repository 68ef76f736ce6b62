#include "tests/support/pe_builder.h"

#include <algorithm>
#include <map>

#include "tests/support/little_endian.h"
#include "tests/support/pe_resource_tree.h"

namespace tamro::test {

namespace {

constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kLfanew = 0x80;
constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kStringName = 0x80000000u;

std::uint32_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
  return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
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
  const bool pe32Plus = format_ == PeFormat::Pe32Plus;
  const PeFaults& f = faults;

  // The tree, in the order resource compilers write it.
  std::vector<TypeNode> types = OrderedTree(resources_, sortEntries);
  const bool hasResources = !types.empty();
  Tree tree = Serialize(types, dataInOwnSection);

  // Sections: the caller's, then the tree, then (optionally) its data.
  std::vector<Section> sections = sections_;
  std::size_t resourceIndex = sections.size();
  if (hasResources) {
    sections.push_back(Section{resourceSectionName, tree.block});
    if (dataInOwnSection) sections.push_back(Section{".rdata", tree.data});
  }

  const std::uint32_t optionalSize = (pe32Plus ? 112u : 96u) + 16u * 8u;
  const std::size_t fileHeader = kLfanew + 4;
  const std::size_t optional = fileHeader + 20;
  const std::size_t sectionTable = optional + optionalSize;
  const std::uint32_t headersSize = AlignUp(sectionTable + 40 * sections.size(), kFileAlignment);

  std::vector<std::uint32_t> rvas, rawOffsets, rawSizes;
  std::uint32_t rva = kSectionAlignment;
  std::uint32_t raw = headersSize;
  for (const Section& s : sections) {
    rvas.push_back(rva);
    rawOffsets.push_back(s.bytes.empty() ? 0 : raw);
    rawSizes.push_back(AlignUp(s.bytes.size(), kFileAlignment));
    rva += AlignUp(std::max<std::size_t>(s.bytes.size(), 1), kSectionAlignment);
    raw += rawSizes.back();
  }
  const std::uint32_t imageSize = rva;
  const std::uint32_t resourceRva = hasResources ? rvas[resourceIndex] : 0;
  const std::uint32_t dataRva = !hasResources      ? 0
                                : dataInOwnSection ? rvas[resourceIndex + 1]
                                                   : resourceRva;

  // Patch the tree with RVAs and faults before it is placed.
  std::vector<std::uint8_t>& block =
      sections.empty() || !hasResources ? tree.block : sections[resourceIndex].bytes;
  {
    std::size_t i = 0;  // data entries are in the tree's order
    for (const TypeNode& type : types) {
      for (const NameNode& name : type.names) {
        for (const LanguageNode& language : name.languages) {
          const std::size_t entry = tree.dataEntries[i];
          std::uint32_t dataAt = dataRva + static_cast<std::uint32_t>(tree.dataOffsets[i]);
          if (f.dataRvaOutside) dataAt = imageSize + 0x1000u * static_cast<std::uint32_t>(i + 1);
          if (f.dataRva) dataAt = *f.dataRva;
          const auto size = static_cast<std::uint32_t>(language.data->size());
          Put32(block, entry, dataAt);
          Put32(block, entry + 4, f.dataSizePastEnd ? 0xFFFFFFF0u : size);
          ++i;
        }
      }
    }
  }
  if (hasResources) {
    auto pointAll = [&](std::size_t table, std::size_t count, std::uint32_t target) {
      for (std::size_t e = 0; e < count; ++e) Put32(block, table + 16 + 8 * e + 4, target);
    };
    switch (f.loop) {
      case PeLoop::None:
        break;
      case PeLoop::TypeIsRoot:
        Put32(block, 16 + 4, kSubdirectory | 0);
        break;
      case PeLoop::TypeIsData:
        Put32(block, 16 + 4, static_cast<std::uint32_t>(tree.dataEntries[0]));
        break;
      case PeLoop::NameIsNameTable:
        pointAll(tree.nameTables[0], types[0].names.size(),
                 kSubdirectory | static_cast<std::uint32_t>(tree.nameTables[0]));
        break;
      case PeLoop::LanguageIsRoot:
        pointAll(tree.languageTables[0][0], types[0].names[0].languages.size(), kSubdirectory);
        break;
    }
    if (f.shareNameTables) {
      pointAll(0, types.size(), kSubdirectory | static_cast<std::uint32_t>(tree.nameTables[0]));
    }
    if (f.shareLanguageTables) {
      for (std::size_t t = 0; t < types.size(); ++t) {
        pointAll(tree.nameTables[t], types[t].names.size(),
                 kSubdirectory | static_cast<std::uint32_t>(tree.languageTables[0][0]));
      }
    }
    if (f.hugeCountTable) {
      std::vector<std::size_t> tables;
      switch (*f.hugeCountTable) {
        case PeTable::Root:
          tables.push_back(0);
          break;
        case PeTable::FirstNames:
          tables.push_back(tree.nameTables[0]);
          break;
        case PeTable::FirstLanguages:
          tables.push_back(tree.languageTables[0][0]);
          break;
        case PeTable::AllLanguages:
          for (const auto& perType : tree.languageTables) {
            tables.insert(tables.end(), perType.begin(), perType.end());
          }
          break;
      }
      for (std::size_t table : tables) {
        Put16(block, table + 12, f.hugeNamedCount);
        Put16(block, table + 14, f.hugeIdCount);
      }
    }
    for (std::size_t entry : tree.stringNameEntries) {
      if (f.stringNamesPastEnd) Put32(block, entry, kStringName | 0x7FFFFFF0u);
    }
    if (f.longNameLength) {
      for (std::size_t at : tree.strings) Put16(block, at, *f.longNameLength);
    }
  }

  // Headers.
  std::vector<std::uint8_t> image(headersSize, 0);
  image[0] = f.badDosMagic ? 'Z' : 'M';
  image[1] = f.badDosMagic ? 'M' : 'Z';
  Put32(image, 0x3C, f.lfanew.value_or(kLfanew));
  image[kLfanew] = 'P';
  image[kLfanew + 1] = f.badPeSignature ? 'X' : 'E';
  Put16(image, fileHeader + 0, pe32Plus ? 0x8664 : 0x14C);  // Machine
  Put16(image, fileHeader + 2,
        f.numberOfSections.value_or(static_cast<std::uint16_t>(sections.size())));
  Put16(image, fileHeader + 16,
        f.sizeOfOptionalHeader.value_or(static_cast<std::uint16_t>(optionalSize)));
  Put16(image, fileHeader + 18, pe32Plus ? 0x2022 : 0x2102);  // DLL, executable

  Put16(image, optional + 0, f.optionalMagic.value_or(pe32Plus ? 0x20B : 0x10B));
  image[optional + 2] = 14;  // linker version
  if (!pe32Plus) {
    Put32(image, optional + 28, 0x10000000);  // ImageBase
  } else {
    Put64(image, optional + 24, 0x180000000ull);
  }
  Put32(image, optional + 32, kSectionAlignment);
  Put32(image, optional + 36, kFileAlignment);
  Put16(image, optional + 40, 6);  // OS version 6.0
  Put16(image, optional + 48, 6);  // subsystem version 6.0
  Put32(image, optional + 56, imageSize);
  Put32(image, optional + 60, headersSize);
  Put16(image, optional + 68, 2);       // Windows GUI
  Put16(image, optional + 70, 0x0140);  // dynamic base, NX compatible
  if (!pe32Plus) {
    Put32(image, optional + 72, 0x100000);
    Put32(image, optional + 76, 0x1000);
    Put32(image, optional + 80, 0x100000);
    Put32(image, optional + 84, 0x1000);
  } else {
    Put64(image, optional + 72, 0x100000);
    Put64(image, optional + 80, 0x1000);
    Put64(image, optional + 88, 0x100000);
    Put64(image, optional + 96, 0x1000);
  }
  const std::size_t directories = optional + (pe32Plus ? 112 : 96);
  Put32(image, directories - 4, f.numberOfRvaAndSizes.value_or(16));
  if (hasResources) {
    Put32(image, directories + 2 * 8, f.resourceRvaOutside ? imageSize + 0x10000u : resourceRva);
    Put32(image, directories + 2 * 8 + 4, static_cast<std::uint32_t>(block.size()));
  }

  for (std::size_t i = 0; i < sections.size(); ++i) {
    const std::size_t at = sectionTable + 40 * i;
    const Section& s = sections[i];
    for (std::size_t c = 0; c < 8 && c < s.name.size(); ++c) {
      image[at + c] = static_cast<std::uint8_t>(s.name[c]);
    }
    std::uint32_t virtualSize = static_cast<std::uint32_t>(s.bytes.size());
    std::uint32_t rawSize = rawSizes[i];
    std::uint32_t sectionRva = rvas[i];
    if (hasResources && i == resourceIndex) {
      if (f.resourceVirtualSize) virtualSize = *f.resourceVirtualSize;
      if (f.rawDataPastEnd) rawSize += 0x10000;
    }
    if (f.overlappingSections && i + 1 == sections.size() && i > 0) sectionRva = rvas[0];
    Put32(image, at + 8, virtualSize);
    Put32(image, at + 12, sectionRva);
    Put32(image, at + 16, rawSize);
    const bool shifted = hasResources && i == resourceIndex && rawOffsets[i] != 0;
    Put32(image, at + 20, rawOffsets[i] + (shifted ? f.rawDataOffsetDelta : 0));
    const bool code = s.name == ".text";
    Put32(image, at + 36, code ? 0x60000020u : 0x40000040u);
  }

  for (std::size_t i = 0; i < sections.size(); ++i) {
    image.resize(rawOffsets[i] == 0 ? image.size() : rawOffsets[i], 0);
    image.insert(image.end(), sections[i].bytes.begin(), sections[i].bytes.end());
    image.resize(image.size() + (rawSizes[i] - sections[i].bytes.size()), 0);
  }

  if (layout != nullptr) {
    layout->ntHeaders = kLfanew;
    layout->sectionTable = sectionTable;
    layout->resourceOffset = hasResources ? rawOffsets[resourceIndex] : 0;
    layout->resourceRva = resourceRva;
    layout->resourceSize = block.size();
  }
  if (f.truncateAt && *f.truncateAt < image.size()) image.resize(*f.truncateAt);
  if (layout != nullptr) layout->fileSize = image.size();
  return image;
}

}  // namespace tamro::test
