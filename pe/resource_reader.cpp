#include "pe/resource_reader.h"

#include <algorithm>
#include <new>

#include "bytes/utf16.h"
#include "pe/pe_layout.h"

namespace tamro::pe {

namespace {

using namespace layout;

// The loader's choice among the languages of one name when none is asked for;
// after these, the first data entry listed.
constexpr std::uint16_t kLanguagePreference[] = {0x000, 0x400, 0x800, 0x409};

bool IsDirectory(std::uint32_t target) {
  return (target & kHighBit) != 0;
}

// Where `id` lies against the identifier of an entry's name field.
std::optional<int> CompareId(std::uint16_t id, std::uint32_t nameField) {
  const auto entryId = static_cast<std::uint16_t>(nameField & 0xFFFF);
  return id < entryId ? -1 : (id > entryId ? 1 : 0);
}

}  // namespace

std::unique_ptr<ResourceReader> ResourceReader::Parse(ByteView file) {
  std::optional<PeImage> image = PeImage::Parse(file);
  if (!image) return nullptr;
  return std::unique_ptr<ResourceReader>(new ResourceReader(*image));
}

std::optional<ResourceReader::Table> ResourceReader::TableAt(std::uint32_t offset) const {
  const std::uint64_t at = std::uint64_t{image_.ResourceRva()} + offset;
  if (!image_.Mapped(at, kDirectorySize)) return std::nullopt;
  return Table{*image_.U16(at + kDirNamedCount), *image_.U16(at + kDirIdCount)};
}

std::optional<std::uint32_t> ResourceReader::EntryField(std::uint32_t table, std::uint32_t index,
                                                        std::uint32_t field) const {
  return image_.U32(std::uint64_t{image_.ResourceRva()} + table + kDirectorySize +
                    std::uint64_t{index} * kEntrySize + field);
}

// As wcsncmp(key, stored, stored length), the key folded and ended by U+0000; the
// stored name's units are read only as far as the comparison needs them.
std::optional<int> ResourceReader::CompareName(const std::u16string& key,
                                               std::uint32_t nameOffset) const {
  const std::uint64_t at = std::uint64_t{image_.ResourceRva()} + nameOffset;
  const std::optional<std::uint16_t> length = image_.U16(at);
  if (!length) return std::nullopt;
  for (std::uint32_t i = 0; i < *length; ++i) {
    const std::optional<std::uint16_t> unit = image_.U16(at + 2 + 2 * std::uint64_t{i});
    if (!unit) return std::nullopt;
    const char16_t a = i < key.size() ? key[i] : u'\0';
    const char16_t b = FoldCase(static_cast<char16_t>(*unit));
    if (a != b) return a < b ? -1 : 1;
    if (a == u'\0') break;
  }
  // Equal as far as the stored length: a match only when the lengths agree too.
  return key.size() == *length ? 0 : 1;
}

// One level of the loader's lookup: a search by halves over the table's string
// names (which come first, sorted) or over its ids (sorted, after them).
// `notFound` is the error for "no such entry".
ResourceReader::Hit ResourceReader::Search(std::uint32_t table, const NameKey& key,
                                           bool wantDirectory, ResourceError notFound) const {
  if (key.kind == NameKey::Kind::Invalid) return Hit{ResourceError::InvalidParameter};
  const std::optional<Table> header = TableAt(table);
  if (!header) return Hit{ResourceError::NoAccess};
  const bool byId = key.kind == NameKey::Kind::Id;
  int low = byId ? static_cast<int>(header->named) : 0;
  int high = low + static_cast<int>(byId ? header->ids : header->named) - 1;
  while (low <= high) {
    const int pos = (low + high) / 2;
    const std::optional<std::uint32_t> name = EntryField(table, pos, kEntryName);
    if (!name) return Hit{ResourceError::NoAccess};
    const std::optional<int> order =
        byId ? CompareId(key.id, *name) : CompareName(key.folded, *name & kOffsetMask);
    if (!order) return Hit{ResourceError::NoAccess};
    if (*order == 0) {
      const std::optional<std::uint32_t> target = EntryField(table, pos, kEntryTarget);
      if (!target) return Hit{ResourceError::NoAccess};
      if (IsDirectory(*target) != wantDirectory) return Hit{notFound};
      return Hit{ResourceError::None, *target & kOffsetMask};
    }
    if (*order < 0) {
      high = pos - 1;
    } else {
      low = pos + 1;
    }
  }
  return Hit{notFound};
}

ResourceReader::Hit ResourceReader::NameTable(const NameKey& type) const {
  if (type.kind == NameKey::Kind::Invalid) return Hit{ResourceError::InvalidParameter};
  if (image_.ResourceRva() == 0) return Hit{ResourceError::TypeNotFound};
  return Search(0, type, true, ResourceError::TypeNotFound);
}

ResourceReader::Hit ResourceReader::LanguageTable(const NameKey& type, const NameKey& name) const {
  if (name.kind == NameKey::Kind::Invalid) return Hit{ResourceError::InvalidParameter};
  const Hit names = NameTable(type);
  if (names.error != ResourceError::None) return names;
  return Search(names.target, name, true, ResourceError::NameNotFound);
}

ResourceError ResourceReader::AppendName(std::uint32_t nameField,
                                         std::vector<EnumeratedName>& names,
                                         std::uint64_t& units) const {
  EnumeratedName name;
  if ((nameField & kHighBit) == 0) {
    name.isId = true;
    name.id = static_cast<std::uint16_t>(nameField & 0xFFFF);
  } else {
    const std::uint64_t at = std::uint64_t{image_.ResourceRva()} + (nameField & kOffsetMask);
    const std::optional<std::uint16_t> length = image_.U16(at);
    if (!length || !image_.Mapped(at + 2, 2 * std::uint64_t{*length}))
      return ResourceError::NoAccess;
    units += *length;
    if (units > kMaxNameUnitsTotal)
      return ResourceError::None;  // left out, as a name that cannot be stored
    std::vector<std::uint8_t> raw(2 * std::size_t{*length});
    image_.Copy(at + 2, raw.size(), raw.data());
    name.text = WideFromUtf16Le(ByteView(raw.data(), static_cast<std::uint32_t>(raw.size())));
    // The API hands a string over up to its terminator.
    name.text.resize(std::min(name.text.size(), name.text.find(L'\0')));
  }
  try {
    names.push_back(std::move(name));
  } catch (const std::bad_alloc&) {
    // As the Windows callback: a name that cannot be stored is left out.
  }
  return ResourceError::None;
}

ResourceError ResourceReader::EnumNames(const NameKey& type,
                                        std::vector<EnumeratedName>& names) const {
  try {
    const Hit table = NameTable(type);
    if (table.error != ResourceError::None) return table.error;
    const std::optional<Table> header = TableAt(table.target);
    if (!header) return ResourceError::NoAccess;
    const std::uint32_t count = header->named + header->ids;
    if (count == 0) return ResourceError::GenFailure;
    std::uint64_t units = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::optional<std::uint32_t> field = EntryField(table.target, i, kEntryName);
      if (!field) return ResourceError::NoAccess;
      const ResourceError error = AppendName(*field, names, units);
      if (error != ResourceError::None) return error;
    }
    return ResourceError::None;
  } catch (const std::bad_alloc&) {
    return ResourceError::GenFailure;
  }
}

ResourceError ResourceReader::CheckName(const NameKey& type, const NameKey& name) const {
  const Hit languages = LanguageTable(type, name);
  if (languages.error != ResourceError::None) return languages.error;
  const std::optional<Table> header = TableAt(languages.target);
  if (!header) return ResourceError::NoAccess;
  const std::uint32_t count = header->named + header->ids;
  if (count == 0) return ResourceError::GenFailure;
  // The enumeration reads each entry's identifier.
  const std::uint64_t first =
      std::uint64_t{image_.ResourceRva()} + languages.target + kDirectorySize;
  if (!image_.Mapped(first, std::uint64_t{count - 1} * kEntrySize + 4))
    return ResourceError::NoAccess;
  return ResourceError::None;
}

ResourceReader::Hit ResourceReader::ChooseLanguage(std::uint32_t languages) const {
  for (std::uint16_t language : kLanguagePreference) {
    const Hit hit = Search(languages, KeyFromId(language), false, ResourceError::NameNotFound);
    if (hit.error != ResourceError::NameNotFound) return hit;
  }
  const std::optional<Table> header = TableAt(languages);
  if (!header) return Hit{ResourceError::NoAccess};
  for (std::uint32_t i = 0; i < header->named + header->ids; ++i) {
    const std::optional<std::uint32_t> target = EntryField(languages, i, kEntryTarget);
    if (!target) return Hit{ResourceError::NoAccess};
    if (!IsDirectory(*target)) return Hit{ResourceError::None, *target};
  }
  return Hit{ResourceError::NameNotFound};
}

ResourceData ResourceReader::Find(const NameKey& type, const NameKey& name) const {
  const Hit languages = LanguageTable(type, name);
  ResourceData found;
  if (languages.error == ResourceError::NoAccess) found.lookup = DataLookup::LoadFailed;
  if (languages.error != ResourceError::None) return found;
  const Hit entry = ChooseLanguage(languages.target);
  if (entry.error == ResourceError::NoAccess) found.lookup = DataLookup::LoadFailed;
  if (entry.error != ResourceError::None) return found;
  return Load(entry.target);
}

// LoadResource and SizeofResource: the data entry's RVA and size, then the bytes.
ResourceData ResourceReader::Load(std::uint32_t dataEntry) const {
  ResourceData found;
  found.lookup = DataLookup::LoadFailed;
  const std::uint64_t at = std::uint64_t{image_.ResourceRva()} + dataEntry;
  if (!image_.Mapped(at, kDataEntrySize)) return found;
  found.rva = *image_.U32(at);
  found.size = *image_.U32(at + 4);
  if (!image_.Mapped(found.rva, found.size)) return found;
  if (const std::optional<ByteView> direct = image_.Direct(found.rva, found.size)) {
    found.data = direct->data();
  } else if (found.size <= kMaxCopiedResource) {
    // Zero-filled or spread over sections: assembled once, kept with the reader.
    try {
      copies_.push_back(std::make_unique<std::uint8_t[]>(std::size_t{found.size} + 1));
      image_.Copy(found.rva, found.size, copies_.back().get());
      found.data = copies_.back().get();
    } catch (const std::bad_alloc&) {
      return found;
    }
  } else {
    return found;
  }
  found.lookup = DataLookup::Found;
  return found;
}

}  // namespace tamro::pe
