// Shared helpers of the resource reader tests: the pe/ reader over a built image,
// asked in the terms of ResourceModule (the adapter of platform/resource_keys.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pe/resource_reader.h"
#include "platform/resource_keys.h"
#include "tests/support/pe_builder.h"

namespace tamro::test {

using platform::ResourceBytes;
using platform::ResourceLookup;
using platform::ResourceName;

// The reader as ResourceModule answers through it.
class TestReader {
 public:
  explicit TestReader(std::unique_ptr<pe::ResourceReader> reader) : reader_(std::move(reader)) {}
  std::uint32_t EnumNames(std::wstring_view type, std::vector<ResourceName>& names) const {
    return platform::AppendNames(*reader_, type, names);
  }
  std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const {
    return reader_->CheckName(platform::TypeKey(type), platform::KeyOf(name));
  }
  ResourceBytes Find(std::wstring_view type, const ResourceName& name) const {
    return platform::BytesOf(reader_->Find(platform::TypeKey(type), platform::KeyOf(name)));
  }
  bool IsPe32Plus() const { return reader_->Image().IsPe32Plus(); }

 private:
  std::unique_ptr<pe::ResourceReader> reader_;
};

// A built image together with the reader over it (the bytes must outlive it).
struct ParsedImage {
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<TestReader> reader;
};

inline ParsedImage ParseBytes(std::vector<std::uint8_t> bytes) {
  ParsedImage parsed;
  parsed.bytes = std::move(bytes);
  auto reader = pe::ResourceReader::Parse(
      ByteView(parsed.bytes.data(), static_cast<std::uint32_t>(parsed.bytes.size())));
  if (reader) parsed.reader = std::make_unique<TestReader>(std::move(reader));
  return parsed;
}

inline ParsedImage ParseBuilt(const PeBuilder& builder) {
  return ParseBytes(builder.Build());
}

inline std::string FormatName(PeFormat format) {
  return format == PeFormat::Pe32 ? "Pe32" : "Pe32Plus";
}

// The bytes a lookup found, as text.
inline std::string FoundText(const ParsedImage&, const ResourceBytes& found) {
  if (found.lookup != ResourceLookup::Found) return "<not found>";
  return std::string(reinterpret_cast<const char*>(found.data), found.size);
}

inline ResourceName Id(std::uint16_t id) {
  return ResourceName::FromId(id);
}
inline ResourceName Text(std::wstring text) {
  return ResourceName::FromText(std::move(text));
}
inline ResourceName Stored(std::wstring text) {
  return ResourceName::FromStored(std::move(text));
}

// Names as comparable text: ids as "#<id>", string names as they are.
inline std::vector<std::wstring> NameTexts(const std::vector<ResourceName>& names) {
  std::vector<std::wstring> texts;
  for (const ResourceName& name : names) {
    texts.push_back(name.IsId() ? L"#" + std::to_wstring(name.id) : name.text);
  }
  return texts;
}

}  // namespace tamro::test
