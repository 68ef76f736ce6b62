// The Linux resource reader: answers the resource calls of ResourceModule from the
// bytes of a PE32 or PE32+ image, as the Windows loader answers them for a module
// loaded with LOAD_LIBRARY_AS_IMAGE_RESOURCE. Pure: it reads the span it is given
// and nothing else, and never copies a resource (results point into the span).
//
// Hostile input: every offset, count and size is checked against the file in
// 64-bit arithmetic; the tree is read at its three fixed levels only (type, name,
// language), so a directory that points back at itself cannot loop; each
// directory table is decoded at most once and kept (keyed by its offset), so
// shared subtrees are never walked twice; the caps below bound the work and the
// memory; the names of a table are indexed once, on first lookup, so that N
// lookups in a table of N names cost O(N log N) in all, never O(N^2).
//
// Not thread-safe: the caches fill in on use (the program has one thread).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/pe_image.h"
#include "platform/posix/pe_names.h"
#include "platform/resource_module.h"

namespace tamro::platform::pe {

// Caps, far above real modules (shell32.dll has some thousands of resources, with
// names of a few dozen characters). A table past a cap counts as damaged.
inline constexpr std::uint32_t kMaxEntriesPerTable = 65536;
inline constexpr std::uint64_t kMaxEntriesTotal = std::uint64_t{1} << 20;
inline constexpr std::uint32_t kMaxNameLength = 4096;  // UTF-16 code units
inline constexpr std::uint64_t kMaxNameUnitsTotal = std::uint64_t{1} << 22;

// Error codes besides those of resource_module.h (Windows values).
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;    // ERROR_NOT_ENOUGH_MEMORY
inline constexpr std::uint32_t kErrorInvalidData = 13;       // ERROR_INVALID_DATA
inline constexpr std::uint32_t kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER

// Work done so far, for tests of the bounds.
struct WalkStats {
  std::uint64_t tablesDecoded = 0;   // type/name tables decoded (each once)
  std::uint64_t languageTables = 0;  // language tables scanned (each once)
  std::uint64_t entriesDecoded = 0;  // entries of both, in all
  std::uint64_t nameUnits = 0;       // UTF-16 units of string names decoded
  std::uint64_t indexesBuilt = 0;    // name indexes built (each table once)
};

class PeResourceReader {
 public:
  // Reads the headers of the image in [data, data + size), which must outlive the
  // reader. Null when the bytes are not an image (see PeImage::Parse).
  static std::unique_ptr<PeResourceReader> Parse(const std::uint8_t* data, std::size_t size);

  bool IsPe32Plus() const { return image_.IsPe32Plus(); }

  // As ResourceModule::EnumNames. 0, or kErrorResourceTypeNotFound when the image
  // has no (readable) resource directory or no such type, kErrorInvalidData for a
  // damaged table, kErrorInvalidParameter for a "#" type above 0xFFFF. An integer
  // name 0 (which ResourceName cannot carry) is given as the text "#0", which
  // finds it again.
  std::uint32_t EnumNames(std::wstring_view type, std::vector<ResourceName>& names) const;

  // As ResourceModule::CheckName: 0 when the name has a language directory whose
  // table is readable; kErrorResourceTypeNotFound, kErrorResourceNameNotFound,
  // kErrorInvalidData or kErrorInvalidParameter otherwise.
  std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const;

  // As ResourceModule::Find: NotFound when FindResourceW would find nothing
  // (including damaged tables and a language directory without a data entry);
  // LoadFailed when the data entry or the bytes it names do not lie in the file;
  // Found with a pointer into the image otherwise.
  ResourceBytes Find(std::wstring_view type, const ResourceName& name) const;

  const WalkStats& Stats() const { return stats_; }

 private:
  struct Entry {
    std::uint32_t name;    // bit 31: string name at offset (bits 0-30); else id (bits 0-15)
    std::uint32_t target;  // bit 31: subdirectory at offset (bits 0-30); else data entry
    std::uint32_t text;    // string names: index in Table::texts
  };
  enum class TableStatus { Ok, NoHeader, Damaged };
  // A decoded type or name table.
  struct Table {
    TableStatus status = TableStatus::Ok;
    std::vector<Entry> entries;       // in directory order
    std::vector<std::wstring> texts;  // the string names as stored
    bool indexed = false;
    std::vector<std::pair<std::wstring, std::uint32_t>> byText;  // folded name -> entry
    std::vector<std::pair<std::uint16_t, std::uint32_t>> byId;   // id -> entry
  };
  // The outcome of scanning one language table.
  struct Language {
    std::uint32_t error = 0;                 // 0 or kErrorInvalidData
    std::optional<std::uint32_t> dataEntry;  // offset of the chosen data entry
  };

  explicit PeResourceReader(PeImage image) : image_(image) {}

  // Table at `offset` from the root, decoded on first use.
  Table& TableAt(std::uint32_t offset) const;
  Table DecodeTable(std::uint32_t offset) const;
  const Language& LanguageAt(std::uint32_t offset) const;
  Language ScanLanguages(std::uint32_t offset) const;
  // Index of the first entry of `table` that `key` names, if any.
  std::optional<std::uint32_t> Lookup(Table& table, const NameKey& key) const;
  void BuildIndex(Table& table) const;
  // The name table of `type`: 0 and the table, or an error code.
  std::uint32_t TypeTable(std::wstring_view type, Table** table) const;
  // The language table offset of `name` in `names`: 0, or an error code.
  std::uint32_t NameDirectory(Table& names, const ResourceName& name, std::uint32_t* offset) const;
  // File offset of [offset, offset + length) counted from the resource root.
  std::optional<std::uint64_t> MapTree(std::uint64_t offset, std::uint64_t length) const;

  PeImage image_;
  mutable std::map<std::uint32_t, Table> tables_;
  mutable std::map<std::uint32_t, Language> languages_;
  mutable WalkStats stats_;
};

}  // namespace tamro::platform::pe
