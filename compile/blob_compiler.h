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
  std::string_view OnTag(TagKind kind, const Word& name, TextPosition at) override;
  std::string_view OnAttribute(const Word& name, const Word& value, TextPosition at) override;
  std::string_view OnTagEnd(bool finished, TextPosition at) override;

  // After the whole text was read: the content, with the final string IDs in
  // place. A limit that only the final IDs show (strings pushed past ID 0x7FFF by
  // the indexes that placeholders keep) is an error at the line of the string.
  bool Finish(duib::BlobContent& content, TextError& error);

  // Whether the text shows any placeholder: only then may the blob name nothing.
  bool UsedPlaceholders() const { return usedPlaceholders_; }

 private:
  // A reference to a name or value while the text is read: a final ID below
  // kString, or kString + the string's number in the order of first use.
  static constexpr std::uint32_t kString = 0x80000000u;
  // An element item while the text is read: kElement | type | count << 4.
  static constexpr std::uint32_t kElement = 0x40000000u;

  std::string_view Reference(const Word& word, TextPosition at, std::uint32_t& reference);
  std::string_view NewWord(std::string_view utf8, TextPosition at, std::uint32_t& reference);
  void GrowTable();
  std::string_view Grow(std::uint64_t bytes);

  // Two words per item, element or attribute (name and value references).
  std::vector<std::uint32_t> items_;
  std::uint32_t elementCount_ = 0;
  std::size_t openTag_ = 0;  // index of the open tag's first word
  std::uint32_t attributes_ = 0;
  bool stylesheets_ = false;
  std::vector<std::uint32_t> tagResids_;  // the open tag's checked resid values
  std::vector<duib::ResidEntry> resid_;   // values as references

  // Every distinct name and value met, built-in words included, with the
  // reference it stands for, found again by its UTF-8 bytes through an
  // open-addressing table (entry number + 1, 0 for a free slot): each word is
  // looked up, converted and interned once, however often the text repeats it.
  struct Known {
    std::uint64_t hash;
    std::string word;
    std::uint32_t reference;
  };
  std::vector<Known> known_;
  std::vector<std::uint32_t> table_;
  // The strings: their units back to back, each with its zero unit; where each
  // begins; the line of its first use.
  std::u16string units_;
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint64_t> firstLines_;
  std::vector<bool> keptIndexes_ = std::vector<bool>(0x8000, false);
  bool usedPlaceholders_ = false;
  std::uint64_t blobBytes_ = 0;  // the blob's size as far as it is known
};

}  // namespace tamro::compile
