// The resource calls of the Windows loader, answered from the bytes of a PE32 or
// PE32+ image as the loader answers them for a module loaded with
// LOAD_LIBRARY_AS_IMAGE_RESOURCE: the directory read through the image as the
// loader maps it (pe_image.h), its sorted tables searched as the loader searches
// them, touching the entries that the loader touches. Pure: it reads the span it
// is given and nothing else.
//
// Hostile input: every read goes through the image's bounds; where the loader
// would read outside the image the answer is ResourceError::NoAccess (a lookup for bytes
// gives LoadFailed); the tree has three fixed levels (type, name, language), so a
// directory that points back at itself cannot loop; a lookup costs O(log n) reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bytes/byte_view.h"
#include "pe/pe_image.h"
#include "pe/resource_error.h"
#include "pe/resource_names.h"

namespace tamro::pe {

// Enumerated names beyond this many UTF-16 units in all are left out, as names
// that a list cannot store (real modules have a few thousand short names).
inline constexpr std::uint64_t kMaxNameUnitsTotal = std::uint64_t{1} << 22;
// A resource that the image does not hold in one stretch of the file is copied;
// larger ones fail to load.
inline constexpr std::uint32_t kMaxCopiedResource = 64u << 20;

enum class DataLookup { Found, NotFound, LoadFailed };

struct ResourceData {
  DataLookup lookup = DataLookup::NotFound;
  const std::uint8_t* data = nullptr;  // valid while the reader lives
  std::uint32_t size = 0;
  std::uint32_t rva = 0;  // where the data entry says the bytes are
};

class ResourceReader {
 public:
  // Null when `file` (which must outlive the reader) is not an image.
  static std::unique_ptr<ResourceReader> Parse(ByteView file);

  const PeImage& Image() const { return image_; }

  // EnumResourceNamesW: appends every name of `type` in the directory's order.
  // TypeNotFound when the image has no resource directory or no such type;
  // GenFailure when the type has no names; NoAccess; InvalidParameter for an
  // invalid key.
  ResourceError EnumNames(const NameKey& type, std::vector<EnumeratedName>& names) const;

  // EnumResourceLanguagesW as an existence test: None when the name has a
  // language table with at least one entry; the errors above, or NameNotFound.
  ResourceError CheckName(const NameKey& type, const NameKey& name) const;

  // FindResourceW, LoadResource and SizeofResource: the bytes in the language that
  // the loader chooses: neutral, 0x400, 0x800, 0x409, then the first listed.
  ResourceData Find(const NameKey& type, const NameKey& name) const;

 private:
  // The outcome of a search: a target offset from the root, nothing, or a fault.
  struct Hit {
    ResourceError error = ResourceError::None;  // None, NoAccess, or a not-found error
    std::uint32_t target = 0;
  };
  struct Table {
    std::uint32_t named = 0;
    std::uint32_t ids = 0;
  };

  explicit ResourceReader(PeImage image) : image_(image) {}

  std::optional<Table> TableAt(std::uint32_t offset) const;
  std::optional<std::uint32_t> EntryField(std::uint32_t table, std::uint32_t index,
                                          std::uint32_t field) const;
  std::optional<int> CompareName(const std::u16string& key, std::uint32_t nameOffset) const;
  Hit Search(std::uint32_t table, const NameKey& key, bool wantDirectory,
             ResourceError notFound) const;
  Hit NameTable(const NameKey& type) const;
  Hit LanguageTable(const NameKey& type, const NameKey& name) const;
  Hit ChooseLanguage(std::uint32_t languages) const;
  ResourceError AppendName(std::uint32_t nameField, std::vector<EnumeratedName>& names,
                           std::uint64_t& units) const;
  ResourceData Load(std::uint32_t dataEntry) const;

  PeImage image_;
  // Resources assembled from several pieces of the image; they live with the reader.
  mutable std::vector<std::unique_ptr<std::uint8_t[]>> copies_;
};

}  // namespace tamro::pe
