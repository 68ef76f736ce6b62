#include "tests/support/pe_builder.h"

#include <algorithm>
#include <map>

#include "tests/support/little_endian.h"

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

char16_t Upper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

// Resource compilers' order: string names first (upper-case ordinal), then ids.
bool KeyBefore(const PeKey& a, const PeKey& b) {
  if (a.isText != b.isText) return a.isText;
  if (a.isText) {
    return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                        [](char16_t x, char16_t y) { return Upper(x) < Upper(y); });
  }
  return a.id < b.id;
}

struct LanguageNode {
  std::uint16_t language;
  const std::vector<std::uint8_t>* data;
};
struct NameNode {
  PeKey key;
  std::vector<LanguageNode> languages;
};
struct TypeNode {
  PeKey key;
  std::vector<NameNode> names;
};

// A key as one string, for the builder's own maps.
std::u16string KeyString(const PeKey& key) {
  std::u16string text(1, key.isText ? u'T' : u'I');
  if (key.isText) {
    text.append(key.text);
  } else {
    text.push_back(static_cast<char16_t>(key.id));
  }
  return text;
}

template <typename Node>
Node& FindOrAdd(std::vector<Node>& nodes, std::map<std::u16string, std::size_t>& index,
                const PeKey& key) {
  auto [it, added] = index.emplace(KeyString(key), nodes.size());
  if (added) nodes.push_back(Node{key, {}});
  return nodes[it->second];
}

template <typename Node>
void Order(std::vector<Node>& nodes, bool sort) {
  if (sort) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const Node& a, const Node& b) { return KeyBefore(a.key, b.key); });
  } else {
    std::stable_partition(nodes.begin(), nodes.end(), [](const Node& n) { return n.key.isText; });
  }
}

std::uint16_t NamedCount(const std::vector<NameNode>& names) {
  return static_cast<std::uint16_t>(
      std::count_if(names.begin(), names.end(), [](const NameNode& n) { return n.key.isText; }));
}
std::uint16_t NamedCount(const std::vector<TypeNode>& types) {
  return static_cast<std::uint16_t>(
      std::count_if(types.begin(), types.end(), [](const TypeNode& n) { return n.key.isText; }));
}

// The resource tree, serialized relative to its root, with its data either
// after it (same section) or in a block of its own.
struct Tree {
  std::vector<std::uint8_t> block;
  std::vector<std::uint8_t> data;
  std::vector<std::size_t> dataEntries;                  // offsets of the data entries in block
  std::vector<std::size_t> dataOffsets;                  // offsets of the bytes (block or data)
  std::vector<std::size_t> stringNameEntries;            // offsets of entries with string names
  std::vector<std::size_t> strings;                      // offsets of the strings
  std::vector<std::size_t> nameTables;                   // per type
  std::vector<std::vector<std::size_t>> languageTables;  // per type, per name
};

void PutTable(Tree& tree, std::size_t at, std::uint16_t named, std::uint16_t ids) {
  Put32(tree.block, at + 0, 0);  // Characteristics
  Put32(tree.block, at + 4, 0);  // TimeDateStamp
  Put32(tree.block, at + 8, 0);  // MajorVersion, MinorVersion
  Put16(tree.block, at + 12, named);
  Put16(tree.block, at + 14, ids);
}

Tree Serialize(const std::vector<TypeNode>& types, bool dataApart) {
  Tree tree;
  std::size_t size = 16 + 8 * types.size();
  for (const TypeNode& type : types) {
    tree.nameTables.push_back(size);
    size += 16 + 8 * type.names.size();
  }
  for (const TypeNode& type : types) {
    tree.languageTables.emplace_back();
    for (const NameNode& name : type.names) {
      tree.languageTables.back().push_back(size);
      size += 16 + 8 * name.languages.size();
    }
  }
  std::size_t entries = size;
  for (const TypeNode& type : types) {
    for (const NameNode& name : type.names) size += 16 * name.languages.size();
  }
  std::map<std::u16string, std::size_t> stringAt;
  auto addString = [&](const PeKey& key) {
    if (!key.isText || stringAt.count(key.text)) return;
    stringAt[key.text] = size;
    size += 2 + 2 * key.text.size();
  };
  for (const TypeNode& type : types) {
    addString(type.key);
    for (const NameNode& name : type.names) addString(name.key);
  }
  tree.block.assign(AlignUp(size, 8), 0);
  for (const auto& [text, at] : stringAt) {
    tree.strings.push_back(at);
    Put16(tree.block, at, static_cast<std::uint16_t>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) Put16(tree.block, at + 2 + 2 * i, text[i]);
  }

  auto putEntry = [&](std::size_t at, const PeKey& key, std::uint32_t target) {
    if (key.isText) {
      Put32(tree.block, at, kStringName | static_cast<std::uint32_t>(stringAt[key.text]));
      tree.stringNameEntries.push_back(at);
    } else {
      Put32(tree.block, at, key.id);
    }
    Put32(tree.block, at + 4, target);
  };

  PutTable(tree, 0, NamedCount(types),
           static_cast<std::uint16_t>(types.size() - NamedCount(types)));
  for (std::size_t t = 0; t < types.size(); ++t) {
    const TypeNode& type = types[t];
    putEntry(16 + 8 * t, type.key, kSubdirectory | static_cast<std::uint32_t>(tree.nameTables[t]));
    const std::size_t names = tree.nameTables[t];
    PutTable(tree, names, NamedCount(type.names),
             static_cast<std::uint16_t>(type.names.size() - NamedCount(type.names)));
    for (std::size_t n = 0; n < type.names.size(); ++n) {
      const NameNode& name = type.names[n];
      const std::size_t languages = tree.languageTables[t][n];
      putEntry(names + 16 + 8 * n, name.key, kSubdirectory | static_cast<std::uint32_t>(languages));
      PutTable(tree, languages, 0, static_cast<std::uint16_t>(name.languages.size()));
      for (std::size_t l = 0; l < name.languages.size(); ++l) {
        putEntry(languages + 16 + 8 * l, PeKey::Id(name.languages[l].language),
                 static_cast<std::uint32_t>(entries));
        tree.dataEntries.push_back(entries);
        std::vector<std::uint8_t>& out = dataApart ? tree.data : tree.block;
        out.resize(AlignUp(out.size(), 8));
        tree.dataOffsets.push_back(out.size());
        out.insert(out.end(), name.languages[l].data->begin(), name.languages[l].data->end());
        entries += 16;
      }
    }
  }
  return tree;
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
  std::vector<TypeNode> types;
  std::map<std::u16string, std::size_t> typeIndex;
  std::vector<std::map<std::u16string, std::size_t>> nameIndex;
  for (const PeResource& r : resources_) {
    FindOrAdd(types, typeIndex, r.type);
    const std::size_t t = typeIndex.at(KeyString(r.type));
    if (nameIndex.size() <= t) nameIndex.resize(t + 1);
    NameNode& name = FindOrAdd(types[t].names, nameIndex[t], r.name);
    name.languages.push_back(LanguageNode{r.language, &r.data});
  }
  Order(types, sortEntries);
  for (TypeNode& type : types) {
    Order(type.names, sortEntries);
    if (sortEntries) {
      for (NameNode& name : type.names) {
        std::stable_sort(
            name.languages.begin(), name.languages.end(),
            [](const LanguageNode& a, const LanguageNode& b) { return a.language < b.language; });
      }
    }
  }
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
