// The last touches of a PeBuilder resource tree once its section is placed: the
// data entries' RVAs and sizes, then the malformations of PeFaults that live in
// the tree (loops, shared tables, entry counts, string names).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/builders/pe_builder.h"
#include "tests/builders/pe_resource_tree.h"

namespace tamro::test {

// Every data entry of `block` (the tree as placed) points at its bytes at
// `dataRva` plus their offset, unless a fault says otherwise; `imageSize` is
// SizeOfImage, for data placed outside every section.
void PatchDataEntries(std::vector<std::uint8_t>& block, const Tree& tree,
                      const std::vector<TypeNode>& types, std::uint32_t dataRva,
                      std::uint32_t imageSize, const PeFaults& faults);

// The faults aimed at the tables and entries of the tree.
void PatchTreeFaults(std::vector<std::uint8_t>& block, const Tree& tree,
                     const std::vector<TypeNode>& types, const PeFaults& faults);

}  // namespace tamro::test
