#include "tests/builders/pe_tree_faults.h"

#include "tests/builders/little_endian.h"
#include "tests/builders/pe_format.h"

namespace tamro::test {

namespace {

using namespace pe_format;

// Past every section: SizeOfImage and beyond, a page apart for each data entry.
constexpr std::uint32_t kOutsideStep = 0x1000;
// A size that runs from any RVA in the image past the end of the file.
constexpr std::uint32_t kSizePastEnd = 0xFFFFFFF0u;
// A string name offset past the resource section.
constexpr std::uint32_t kNamePastEnd = 0x7FFFFFF0u;

// Points the first `count` entries of the table at `table` at `target`.
void PointAll(std::vector<std::uint8_t>& block, std::size_t table, std::size_t count,
              std::uint32_t target) {
  for (std::size_t e = 0; e < count; ++e) Put32(block, TargetAt(table, e), target);
}

std::uint32_t Directory(std::size_t offset) {
  return kSubdirectory | static_cast<std::uint32_t>(offset);
}

void PatchLoop(std::vector<std::uint8_t>& block, const Tree& tree,
               const std::vector<TypeNode>& types, PeLoop loop) {
  switch (loop) {
    case PeLoop::None:
      break;
    case PeLoop::TypeIsRoot:
      Put32(block, TargetAt(0, 0), Directory(0));
      break;
    case PeLoop::TypeIsData:
      Put32(block, TargetAt(0, 0), static_cast<std::uint32_t>(tree.dataEntries[0]));
      break;
    case PeLoop::NameIsNameTable:
      PointAll(block, tree.nameTables[0], types[0].names.size(), Directory(tree.nameTables[0]));
      break;
    case PeLoop::NameIsData:
      PointAll(block, tree.nameTables[0], types[0].names.size(),
               static_cast<std::uint32_t>(tree.dataEntries[0]));
      break;
    case PeLoop::LanguageIsRoot:
      PointAll(block, tree.languageTables[0][0], types[0].names[0].languages.size(), Directory(0));
      break;
  }
}

void PointLanguages(std::vector<std::uint8_t>& block, const Tree& tree,
                    const std::vector<TypeNode>& types, std::uint32_t target) {
  for (std::size_t t = 0; t < types.size(); ++t) {
    for (std::size_t n = 0; n < types[t].names.size(); ++n) {
      PointAll(block, tree.languageTables[t][n], types[t].names[n].languages.size(), target);
    }
  }
}

void ShareTables(std::vector<std::uint8_t>& block, const Tree& tree,
                 const std::vector<TypeNode>& types, const PeFaults& faults) {
  if (faults.shareNameTables) {
    PointAll(block, 0, types.size(), Directory(tree.nameTables[0]));
  }
  if (faults.shareLanguageTables) {
    for (std::size_t t = 0; t < types.size(); ++t) {
      PointAll(block, tree.nameTables[t], types[t].names.size(),
               Directory(tree.languageTables[0][0]));
    }
  }
}

std::vector<std::size_t> TablesOf(const Tree& tree, PeTable which) {
  switch (which) {
    case PeTable::Root:
      return {0};
    case PeTable::FirstNames:
      return {tree.nameTables[0]};
    case PeTable::FirstLanguages:
      return {tree.languageTables[0][0]};
    case PeTable::AllLanguages:
      break;
  }
  std::vector<std::size_t> tables;
  for (const auto& perType : tree.languageTables) {
    tables.insert(tables.end(), perType.begin(), perType.end());
  }
  return tables;
}

void PatchCounts(std::vector<std::uint8_t>& block, const Tree& tree, const PeFaults& faults) {
  if (!faults.hugeCountTable) return;
  for (std::size_t table : TablesOf(tree, *faults.hugeCountTable)) {
    Put16(block, table + kDirNamedCount, faults.hugeNamedCount);
    Put16(block, table + kDirIdCount, faults.hugeIdCount);
  }
}

void PatchStringNames(std::vector<std::uint8_t>& block, const Tree& tree, const PeFaults& faults) {
  if (faults.stringNamesPastEnd) {
    for (std::size_t entry : tree.stringNameEntries) {
      Put32(block, entry + kEntryName, kStringName | kNamePastEnd);
    }
  }
  if (faults.longNameLength) {
    for (std::size_t at : tree.strings) Put16(block, at, *faults.longNameLength);
  }
  if (faults.firstNameLength) {
    const std::uint32_t name = Get32(block, EntryAt(tree.nameTables[0], 0) + kEntryName);
    Put16(block, name & ~kStringName, *faults.firstNameLength);
  }
}

}  // namespace

void PatchDataEntries(std::vector<std::uint8_t>& block, const Tree& tree,
                      const std::vector<TypeNode>& types, std::uint32_t dataRva,
                      std::uint32_t imageSize, const PeFaults& faults) {
  std::size_t i = 0;  // data entries are in the tree's order
  for (const TypeNode& type : types) {
    for (const NameNode& name : type.names) {
      for (const LanguageNode& language : name.languages) {
        std::uint32_t dataAt = dataRva + static_cast<std::uint32_t>(tree.dataOffsets[i]);
        if (faults.dataRvaOutside) {
          dataAt = imageSize + kOutsideStep * static_cast<std::uint32_t>(i + 1);
        }
        if (faults.dataRva) dataAt = *faults.dataRva;
        const auto size = static_cast<std::uint32_t>(language.data->size());
        Put32(block, tree.dataEntries[i] + kDataOffsetToData, dataAt);
        Put32(block, tree.dataEntries[i] + kDataSize,
              faults.dataSize.value_or(faults.dataSizePastEnd ? kSizePastEnd : size));
        ++i;
      }
    }
  }
}

void PatchTreeFaults(std::vector<std::uint8_t>& block, const Tree& tree,
                     const std::vector<TypeNode>& types, const PeFaults& faults) {
  PatchLoop(block, tree, types, faults.loop);
  if (faults.languageTarget) PointLanguages(block, tree, types, *faults.languageTarget);
  ShareTables(block, tree, types, faults);
  PatchCounts(block, tree, faults);
  PatchStringNames(block, tree, faults);
}

}  // namespace tamro::test
