// Shared helpers of the resource reader tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/pe_resource_reader.h"
#include "tests/support/pe_builder.h"

namespace tamro::test {

using platform::ResourceBytes;
using platform::ResourceLookup;
using platform::ResourceName;
using platform::pe::PeResourceReader;

// A built image together with the reader over it (the bytes must outlive it).
struct ParsedImage {
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<PeResourceReader> reader;
};

inline ParsedImage ParseBuilt(const PeBuilder& builder) {
  ParsedImage parsed;
  parsed.bytes = builder.Build();
  parsed.reader = PeResourceReader::Parse(parsed.bytes.data(), parsed.bytes.size());
  return parsed;
}

inline std::string FormatName(PeFormat format) {
  return format == PeFormat::Pe32 ? "Pe32" : "Pe32Plus";
}

// The bytes a lookup found, as text, after checking that they lie in the image.
inline std::string FoundText(const ParsedImage& image, const ResourceBytes& found) {
  if (found.lookup != ResourceLookup::Found) return "<not found>";
  const std::uint8_t* begin = image.bytes.data();
  const std::uint8_t* end = begin + image.bytes.size();
  if (found.data < begin || found.data > end ||
      found.size > static_cast<std::size_t>(end - found.data)) {
    return "<outside the image>";
  }
  return std::string(reinterpret_cast<const char*>(found.data), found.size);
}

inline ResourceName Id(std::uint16_t id) {
  return ResourceName::FromId(id);
}
inline ResourceName Text(std::wstring text) {
  return ResourceName::FromText(std::move(text));
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
