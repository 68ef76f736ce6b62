// The resource tree of a PeBuilder image: types, names and languages in the order
// resource compilers write them, and the tree serialized relative to its root with
// the offsets of its parts, which the builder patches for its faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/builders/pe_builder.h"

namespace tamro::test {

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

// The tree, serialized relative to its root, with its data either after it (same
// section) or in a block of its own.
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

// The resources as a tree: sorted as resource compilers sort (string names first,
// upper-case ordinal, then ids; languages ascending), or in the order of Add with
// string names first. The nodes point at the resources' data.
std::vector<TypeNode> OrderedTree(const std::vector<PeResource>& resources, bool sort);

Tree Serialize(const std::vector<TypeNode>& types, bool dataApart);

}  // namespace tamro::test
