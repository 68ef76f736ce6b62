// Turns the tags of a text into the content of a DUIB blob. Built-in words become
// their IDs, placeholders the raw IDs they show, every other name or value a
// string, each distinct string once, in the order of first use. Element items
// keep their kind and order; the resid table is made so that the walk's
// cross-check agrees with it. A placeholder of a string ID keeps that ID: no
// string takes its index, which stays empty or lies past the table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compile/tag_reader.h"
#include "duib/blob_writer.h"

namespace tamro::compile {

class BlobCompiler final : public TagHandler {
 public:
  // `keptIndexes`: the string IDs that the text's placeholders show, which no
  // string may take (KeptIndexes of a reading before; none the first time).
  // The blob's block comes from `memory`.
  explicit BlobCompiler(std::vector<bool> keptIndexes = {},
                        const BlockMemory& memory = HeapMemory());

  std::string_view OnTag(TagKind kind, const Word& name, const CallPosition& at) override;
  std::string_view OnAttribute(const Word& name, const Word& value,
                               const CallPosition& at) override;
  std::string_view OnTagEnd(bool finished, const CallPosition& at) override;

  // After the whole text was read: the content.
  duib::BlobContent Finish();

  // Whether the text shows any placeholder: only then may the blob name nothing.
  bool UsedPlaceholders() const { return usedPlaceholders_; }

  // The string IDs that the text's placeholders show. When the compiler was not
  // told them all beforehand, its strings may have taken some: the text must be
  // compiled again, by a compiler that is told them.
  const std::vector<bool>& KeptIndexes() const { return keptIndexes_; }
  bool KeptIndexesKnown() const { return !keptUnknown_; }

 private:
  std::string_view Reference(const Word& word, std::uint16_t& id);
  std::string_view NewWord(std::string_view utf8, std::uint64_t hash, std::uint16_t& id);
  void GrowTable();
  std::string_view Grow(std::uint64_t bytes);

  duib::ItemStream items_;
  std::uint32_t elementCount_ = 0;
  std::size_t openTag_ = 0;  // index of the open tag's first word
  std::uint32_t attributes_ = 0;
  bool stylesheets_ = false;
  std::vector<std::uint16_t> tagResids_;  // the open tag's checked resid values
  std::vector<duib::ResidEntry> resid_;

  // Every distinct name and value met, built-in words included, with the ID it
  // stands for, found again by its UTF-8 bytes: each word is looked up, converted
  // and interned once, however often the text repeats it. The bytes lie back to
  // back in words_; a slot of the open-addressing table says where, so that a
  // probe touches the slot and the bytes it compares, nothing else.
  struct Slot {
    std::uint64_t at = 0;    // the word's first byte in words_
    std::uint32_t size = 0;  // its bytes
    std::uint32_t tag = 0;   // the high half of its hash
    std::uint16_t id = 0;
    bool used = false;
  };
  void Place(std::vector<Slot>& table, const Slot& slot, std::uint64_t hash) const;
  std::string words_;
  std::vector<Slot> table_;
  std::uint32_t wordCount_ = 0;
  // The strings: their units back to back, each with its zero unit, and where
  // string ID i begins (an index kept by a placeholder: at the shared empty string).
  std::u16string units_;
  std::vector<std::uint32_t> starts_;
  std::uint32_t nextId_ = 0;  // the lowest ID a new string may take
  std::vector<bool> keptIndexes_;
  bool keptUnknown_ = false;  // a placeholder showed an index not kept from the start
  bool usedPlaceholders_ = false;
  std::uint64_t blobBytes_ = 0;  // the blob's size as far as it is known
};

}  // namespace tamro::compile
