#include "tests/support/pe_resource_tree.h"

#include <algorithm>
#include <map>

#include "tests/support/little_endian.h"

namespace tamro::test {

namespace {

std::uint32_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
  return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
}

constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kStringName = 0x80000000u;

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
  Put32(tree.block, at + 0, 0);  // Characteristics
  Put32(tree.block, at + 4, 0);  // TimeDateStamp
  Put32(tree.block, at + 8, 0);  // MajorVersion, MinorVersion
  Put16(tree.block, at + 12, named);
  Put16(tree.block, at + 14, ids);
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

}  // namespace tamro::test
