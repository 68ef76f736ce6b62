// Between the resource names of ResourceModule and the keys of the pe/ reader;
// shared by both platforms' modules (Windows checks the loader with the reader).
#pragma once

#include <new>
#include <string_view>
#include <vector>

#include "pe/resource_names.h"
#include "pe/resource_reader.h"
#include "platform/resource_module.h"

namespace tamro::platform {

inline pe::NameKey KeyOf(const ResourceName& name) {
  switch (name.kind) {
    case ResourceName::Kind::Id:
      return pe::KeyFromId(name.id);
    case ResourceName::Kind::Stored:
      return pe::KeyFromStored(name.text);
    case ResourceName::Kind::Typed:
      break;
  }
  return pe::KeyFromTyped(name.text);
}

inline pe::NameKey TypeKey(std::wstring_view type) {
  return pe::KeyFromTyped(type);
}

inline ResourceName NameOf(pe::EnumeratedName name) {
  return name.isId ? ResourceName::FromId(name.id) : ResourceName::FromStored(std::move(name.text));
}

// The reader's enumeration appended to `names`; names that cannot be stored are
// left out, as the Windows callback leaves them out.
inline std::uint32_t AppendNames(const pe::ResourceReader& reader, std::wstring_view type,
                                 std::vector<ResourceName>& names) {
  std::vector<pe::EnumeratedName> found;
  const std::uint32_t error = reader.EnumNames(TypeKey(type), found);
  try {
    names.reserve(names.size() + found.size());
    for (pe::EnumeratedName& name : found) names.push_back(NameOf(std::move(name)));
  } catch (const std::bad_alloc&) {
  }
  return error;
}

inline ResourceBytes BytesOf(const pe::ResourceData& data) {
  ResourceBytes bytes;
  switch (data.lookup) {
    case pe::DataLookup::Found:
      bytes.lookup = ResourceLookup::Found;
      bytes.data = data.data;
      bytes.size = data.size;
      break;
    case pe::DataLookup::NotFound:
      bytes.lookup = ResourceLookup::NotFound;
      break;
    case pe::DataLookup::LoadFailed:
      bytes.lookup = ResourceLookup::LoadFailed;
      break;
  }
  return bytes;
}

}  // namespace tamro::platform
