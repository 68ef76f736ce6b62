#include "platform/posix/pe_resource_reader.h"

#include <algorithm>
#include <new>

namespace tamro::platform::pe {

namespace {

// IMAGE_RESOURCE_DIRECTORY, _DIRECTORY_ENTRY and _DATA_ENTRY (winnt.h).
constexpr std::uint64_t kDirectorySize = 16;
constexpr std::uint64_t kDirNamedCount = 12;
constexpr std::uint64_t kDirIdCount = 14;
constexpr std::uint64_t kEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kOffsetMask = 0x7FFFFFFFu;

// The loader's choice among the languages of one name when none is asked for;
// after these, the first data entry listed.
constexpr std::uint16_t kLanguagePreference[] = {0x000, 0x400, 0x800, 0x409};
constexpr int kRankFirstListed = 4;

bool IsString(std::uint32_t name) {
  return (name & kHighBit) != 0;
}
bool IsDirectory(std::uint32_t target) {
  return (target & kHighBit) != 0;
}
std::uint16_t IdOf(std::uint32_t name) {
  return static_cast<std::uint16_t>(name & 0xFFFF);
}

NameKey KeyOf(const ResourceName& name) {
  if (!name.IsId()) return KeyFromText(name.text);
  NameKey key;
  key.kind = NameKey::Kind::Id;
  key.id = name.id;
  return key;
}

}  // namespace

std::unique_ptr<PeResourceReader> PeResourceReader::Parse(const std::uint8_t* data,
                                                          std::size_t size) {
  std::optional<PeImage> image = PeImage::Parse(ByteView(data, size));
  if (!image) return nullptr;
  return std::unique_ptr<PeResourceReader>(new PeResourceReader(*image));
}

std::optional<std::uint64_t> PeResourceReader::MapTree(std::uint64_t offset,
                                                       std::uint64_t length) const {
  if (image_.ResourceRva() == 0) return std::nullopt;
  return image_.MapRva(std::uint64_t{image_.ResourceRva()} + offset, length);
}

PeResourceReader::Table PeResourceReader::DecodeTable(std::uint32_t offset) const {
  Table table;
  const ByteView file = image_.File();
  const std::optional<std::uint64_t> header = MapTree(offset, kDirectorySize);
  if (!header) {
    table.status = TableStatus::NoHeader;
    return table;
  }
  const std::uint32_t count =
      std::uint32_t{*file.U16(*header + kDirNamedCount)} + *file.U16(*header + kDirIdCount);
  table.status = TableStatus::Damaged;
  if (count > kMaxEntriesPerTable || stats_.entriesDecoded + count > kMaxEntriesTotal) {
    return table;
  }
  const std::optional<std::uint64_t> first =
      MapTree(std::uint64_t{offset} + kDirectorySize, count * kEntrySize);
  if (!first) return table;
  stats_.entriesDecoded += count;

  const auto damaged = [] {
    Table broken;
    broken.status = TableStatus::Damaged;
    return broken;
  };
  table.entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* raw = file.At(*first + i * kEntrySize);
    Entry entry{LoadU32(raw), LoadU32(raw + 4), 0};
    if (IsString(entry.name)) {
      // IMAGE_RESOURCE_DIR_STRING_U: a 16-bit length, then that many UTF-16 units.
      const std::uint64_t at = entry.name & kOffsetMask;
      const std::optional<std::uint64_t> lengthAt = MapTree(at, 2);
      if (!lengthAt) return damaged();
      const std::uint32_t length = *file.U16(*lengthAt);
      if (length > kMaxNameLength || stats_.nameUnits + length > kMaxNameUnitsTotal) {
        return damaged();
      }
      const std::optional<std::uint64_t> units = MapTree(at + 2, std::uint64_t{length} * 2);
      if (!units) return damaged();
      stats_.nameUnits += length;
      entry.text = static_cast<std::uint32_t>(table.texts.size());
      table.texts.push_back(WideFromUtf16Le(file.At(*units), length));
    }
    table.entries.push_back(entry);
  }
  table.status = TableStatus::Ok;
  ++stats_.tablesDecoded;
  return table;
}

PeResourceReader::Table& PeResourceReader::TableAt(std::uint32_t offset) const {
  auto found = tables_.find(offset);
  if (found != tables_.end()) return found->second;
  return tables_.emplace(offset, DecodeTable(offset)).first->second;
}

void PeResourceReader::BuildIndex(Table& table) const {
  table.byText.clear();
  table.byId.clear();
  for (std::uint32_t i = 0; i < table.entries.size(); ++i) {
    const Entry& entry = table.entries[i];
    if (IsString(entry.name)) {
      table.byText.emplace_back(FoldName(table.texts[entry.text]), i);
    } else {
      table.byId.emplace_back(IdOf(entry.name), i);
    }
  }
  // Sorted by key, then by position: the first of equal names comes first.
  std::sort(table.byText.begin(), table.byText.end());
  std::sort(table.byId.begin(), table.byId.end());
  table.indexed = true;
  ++stats_.indexesBuilt;
}

std::optional<std::uint32_t> PeResourceReader::Lookup(Table& table, const NameKey& key) const {
  if (!table.indexed) BuildIndex(table);
  if (key.kind == NameKey::Kind::Id) {
    auto it = std::lower_bound(table.byId.begin(), table.byId.end(),
                               std::pair<std::uint16_t, std::uint32_t>{key.id, 0});
    if (it != table.byId.end() && it->first == key.id) return it->second;
  } else if (key.kind == NameKey::Kind::Text) {
    auto it = std::lower_bound(table.byText.begin(), table.byText.end(), key.folded,
                               [](const std::pair<std::wstring, std::uint32_t>& item,
                                  const std::wstring& value) { return item.first < value; });
    if (it != table.byText.end() && it->first == key.folded) return it->second;
  }
  return std::nullopt;
}

PeResourceReader::Language PeResourceReader::ScanLanguages(std::uint32_t offset) const {
  const ByteView file = image_.File();
  Language result{kErrorInvalidData, std::nullopt};
  const std::optional<std::uint64_t> header = MapTree(offset, kDirectorySize);
  if (!header) return result;
  const std::uint32_t count =
      std::uint32_t{*file.U16(*header + kDirNamedCount)} + *file.U16(*header + kDirIdCount);
  if (count > kMaxEntriesPerTable || stats_.entriesDecoded + count > kMaxEntriesTotal) {
    return result;
  }
  const std::optional<std::uint64_t> first =
      MapTree(std::uint64_t{offset} + kDirectorySize, count * kEntrySize);
  if (!first) return result;
  stats_.entriesDecoded += count;
  ++stats_.languageTables;

  result.error = 0;
  int best = kRankFirstListed + 1;
  for (std::uint32_t i = 0; i < count && best > 0; ++i) {
    const std::uint8_t* raw = file.At(*first + i * kEntrySize);
    const std::uint32_t name = LoadU32(raw);
    const std::uint32_t target = LoadU32(raw + 4);
    if (IsDirectory(target)) continue;  // a language must name a data entry
    int rank = kRankFirstListed;
    if (!IsString(name)) {
      for (int r = 0; r < kRankFirstListed; ++r) {
        if (IdOf(name) == kLanguagePreference[r]) rank = r;
      }
    }
    if (rank < best) {
      best = rank;
      result.dataEntry = target;
    }
  }
  return result;
}

const PeResourceReader::Language& PeResourceReader::LanguageAt(std::uint32_t offset) const {
  auto found = languages_.find(offset);
  if (found != languages_.end()) return found->second;
  return languages_.emplace(offset, ScanLanguages(offset)).first->second;
}

std::uint32_t PeResourceReader::TypeTable(std::wstring_view type, Table** table) const {
  const NameKey key = KeyFromText(type);
  if (key.kind == NameKey::Kind::Invalid) return kErrorInvalidParameter;
  if (image_.ResourceRva() == 0) return kErrorResourceTypeNotFound;
  Table& root = TableAt(0);
  if (root.status == TableStatus::NoHeader) return kErrorResourceTypeNotFound;
  if (root.status == TableStatus::Damaged) return kErrorInvalidData;
  const std::optional<std::uint32_t> index = Lookup(root, key);
  // An entry of the wrong kind (data where a directory belongs) is no entry.
  if (!index || !IsDirectory(root.entries[*index].target)) return kErrorResourceTypeNotFound;
  Table& names = TableAt(root.entries[*index].target & kOffsetMask);
  if (names.status != TableStatus::Ok) return kErrorInvalidData;
  *table = &names;
  return 0;
}

std::uint32_t PeResourceReader::NameDirectory(Table& names, const ResourceName& name,
                                              std::uint32_t* offset) const {
  const NameKey key = KeyOf(name);
  if (key.kind == NameKey::Kind::Invalid) return kErrorInvalidParameter;
  const std::optional<std::uint32_t> index = Lookup(names, key);
  if (!index || !IsDirectory(names.entries[*index].target)) return kErrorResourceNameNotFound;
  *offset = names.entries[*index].target & kOffsetMask;
  return 0;
}

std::uint32_t PeResourceReader::EnumNames(std::wstring_view type,
                                          std::vector<ResourceName>& names) const {
  try {
    Table* table = nullptr;
    if (const std::uint32_t error = TypeTable(type, &table)) return error;
    for (const Entry& entry : table->entries) {
      try {
        if (IsString(entry.name)) {
          names.push_back(ResourceName::FromText(table->texts[entry.text]));
        } else if (IdOf(entry.name) == 0) {
          names.push_back(ResourceName::FromText(L"#0"));
        } else {
          names.push_back(ResourceName::FromId(IdOf(entry.name)));
        }
      } catch (const std::bad_alloc&) {
        // As the Windows callback: a name that cannot be stored is left out.
      }
    }
    return 0;
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  }
}

std::uint32_t PeResourceReader::CheckName(std::wstring_view type, const ResourceName& name) const {
  try {
    Table* table = nullptr;
    if (const std::uint32_t error = TypeTable(type, &table)) return error;
    std::uint32_t languages = 0;
    if (const std::uint32_t error = NameDirectory(*table, name, &languages)) return error;
    return LanguageAt(languages).error;
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  }
}

ResourceBytes PeResourceReader::Find(std::wstring_view type, const ResourceName& name) const {
  ResourceBytes bytes;
  try {
    Table* table = nullptr;
    std::uint32_t languages = 0;
    if (TypeTable(type, &table) != 0 || NameDirectory(*table, name, &languages) != 0) {
      return bytes;
    }
    const Language& language = LanguageAt(languages);
    if (language.error != 0 || !language.dataEntry) return bytes;

    // FindResourceW has found the data entry; LoadResource reads it.
    bytes.lookup = ResourceLookup::LoadFailed;
    const ByteView file = image_.File();
    const std::optional<std::uint64_t> entry = MapTree(*language.dataEntry, kDataEntrySize);
    if (!entry) return bytes;
    const std::uint32_t rva = *file.U32(*entry);
    const std::uint32_t size = *file.U32(*entry + 4);
    const std::optional<std::uint64_t> at = image_.MapRva(rva, size);
    if (!at) return bytes;
    bytes.lookup = ResourceLookup::Found;
    bytes.data = file.At(*at);
    bytes.size = size;
    return bytes;
  } catch (const std::bad_alloc&) {
    bytes.lookup = ResourceLookup::LoadFailed;
    return bytes;
  }
}

}  // namespace tamro::platform::pe
