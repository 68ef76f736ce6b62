#include "tests/builders/pe_resource_tree.h"

#include <algorithm>
#include <map>

#include "tests/builders/little_endian.h"
#include "tests/builders/pe_format.h"

namespace tamro::test {

namespace {

using namespace pe_format;

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

void PutTable(Tree& tree, std::size_t at, std::uint16_t named, std::uint16_t ids) {
  // Characteristics, TimeDateStamp and the versions stay zero.
  Put32(tree.block, at + 0, 0);
  Put32(tree.block, at + 4, 0);
  Put32(tree.block, at + 8, 0);
  Put16(tree.block, at + kDirNamedCount, named);
  Put16(tree.block, at + kDirIdCount, ids);
}

}  // namespace

std::vector<TypeNode> OrderedTree(const std::vector<PeResource>& resources, bool sort) {
  std::vector<TypeNode> types;
  std::map<std::u16string, std::size_t> typeIndex;
  std::vector<std::map<std::u16string, std::size_t>> nameIndex;
  for (const PeResource& r : resources) {
    FindOrAdd(types, typeIndex, r.type);
    const std::size_t t = typeIndex.at(KeyString(r.type));
    if (nameIndex.size() <= t) nameIndex.resize(t + 1);
    NameNode& name = FindOrAdd(types[t].names, nameIndex[t], r.name);
    name.languages.push_back(LanguageNode{r.language, &r.data});
  }
  Order(types, sort);
  for (TypeNode& type : types) {
    Order(type.names, sort);
    if (sort) {
      for (NameNode& name : type.names) {
        std::stable_sort(
            name.languages.begin(), name.languages.end(),
            [](const LanguageNode& a, const LanguageNode& b) { return a.language < b.language; });
      }
    }
  }
  return types;
}

namespace {

// Offsets of the name and language tables, in the order they follow the root;
// the end of the last table, where the data entries begin.
std::size_t PlaceTables(const std::vector<TypeNode>& types, Tree& tree) {
  std::size_t size = kDirectorySize + kEntrySize * types.size();
  for (const TypeNode& type : types) {
    tree.nameTables.push_back(size);
    size += kDirectorySize + kEntrySize * type.names.size();
  }
  for (const TypeNode& type : types) {
    tree.languageTables.emplace_back();
    for (const NameNode& name : type.names) {
      tree.languageTables.back().push_back(size);
      size += kDirectorySize + kEntrySize * name.languages.size();
    }
  }
  return size;
}

std::size_t DataEntriesSize(const std::vector<TypeNode>& types) {
  std::size_t size = 0;
  for (const TypeNode& type : types) {
    for (const NameNode& name : type.names) size += kDataEntrySize * name.languages.size();
  }
  return size;
}

// The offsets of the string names from `size` on, each string once; `size`
// moves past them.
std::map<std::u16string, std::size_t> PlaceStrings(const std::vector<TypeNode>& types,
                                                   std::size_t& size) {
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
  return stringAt;
}

// Each string as its length and its UTF-16 units.
void PutStrings(const std::map<std::u16string, std::size_t>& stringAt, Tree& tree) {
  for (const auto& [text, at] : stringAt) {
    tree.strings.push_back(at);
    Put16(tree.block, at, static_cast<std::uint16_t>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) Put16(tree.block, at + 2 + 2 * i, text[i]);
  }
}

// Writes the tables and entries of the tree whose parts are already placed.
class TreeWriter {
 public:
  TreeWriter(Tree& tree, const std::map<std::u16string, std::size_t>& stringAt,
             std::size_t dataEntries, bool dataApart)
      : tree_(tree), stringAt_(stringAt), nextDataEntry_(dataEntries), dataApart_(dataApart) {}

  void Types(const std::vector<TypeNode>& types) {
    PutTable(tree_, 0, NamedCount(types),
             static_cast<std::uint16_t>(types.size() - NamedCount(types)));
    for (std::size_t t = 0; t < types.size(); ++t) {
      const std::size_t names = tree_.nameTables[t];
      Entry(EntryAt(0, t), types[t].key, kSubdirectory | static_cast<std::uint32_t>(names));
      Names(types[t], t);
    }
  }

 private:
  void Names(const TypeNode& type, std::size_t t) {
    const std::size_t names = tree_.nameTables[t];
    PutTable(tree_, names, NamedCount(type.names),
             static_cast<std::uint16_t>(type.names.size() - NamedCount(type.names)));
    for (std::size_t n = 0; n < type.names.size(); ++n) {
      const std::size_t languages = tree_.languageTables[t][n];
      Entry(EntryAt(names, n), type.names[n].key,
            kSubdirectory | static_cast<std::uint32_t>(languages));
      Languages(type.names[n], languages);
    }
  }

  // Each language's entry, its data entry and its bytes (aligned).
  void Languages(const NameNode& name, std::size_t languages) {
    PutTable(tree_, languages, 0, static_cast<std::uint16_t>(name.languages.size()));
    for (std::size_t l = 0; l < name.languages.size(); ++l) {
      Entry(EntryAt(languages, l), PeKey::Id(name.languages[l].language),
            static_cast<std::uint32_t>(nextDataEntry_));
      tree_.dataEntries.push_back(nextDataEntry_);
      std::vector<std::uint8_t>& out = dataApart_ ? tree_.data : tree_.block;
      out.resize(AlignUp(out.size(), kDataAlignment));
      tree_.dataOffsets.push_back(out.size());
      out.insert(out.end(), name.languages[l].data->begin(), name.languages[l].data->end());
      nextDataEntry_ += kDataEntrySize;
    }
  }

  void Entry(std::size_t at, const PeKey& key, std::uint32_t target) {
    if (key.isText) {
      Put32(tree_.block, at + kEntryName,
            kStringName | static_cast<std::uint32_t>(stringAt_.at(key.text)));
      tree_.stringNameEntries.push_back(at);
    } else {
      Put32(tree_.block, at + kEntryName, key.id);
    }
    Put32(tree_.block, at + kEntryTarget, target);
  }

  Tree& tree_;
  const std::map<std::u16string, std::size_t>& stringAt_;
  std::size_t nextDataEntry_;
  bool dataApart_;
};

}  // namespace

// Laid out as resource compilers lay it out: the root, every name table, every
// language table, the data entries, the strings, then (unless apart) the data.
Tree Serialize(const std::vector<TypeNode>& types, bool dataApart) {
  Tree tree;
  const std::size_t dataEntries = PlaceTables(types, tree);
  std::size_t size = dataEntries + DataEntriesSize(types);
  const std::map<std::u16string, std::size_t> stringAt = PlaceStrings(types, size);
  tree.block.assign(AlignUp(size, kDataAlignment), 0);
  PutStrings(stringAt, tree);
  TreeWriter(tree, stringAt, dataEntries, dataApart).Types(types);
  return tree;
}

}  // namespace tamro::test
