// Shared helpers of the resource reader tests: the pe/ reader over a built image,
// asked with the type and names written as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pe/resource_reader.h"
#include "tests/builders/pe_builder.h"

namespace tamro::test {

using pe::DataLookup;
using pe::EnumeratedName;
using pe::NameKey;
using pe::ResourceData;
using pe::ResourceError;

inline constexpr auto kOk = ResourceError::None;
inline constexpr auto kNoAccess = ResourceError::NoAccess;
inline constexpr auto kNameNotFound = ResourceError::NameNotFound;
inline constexpr auto kTypeNotFound = ResourceError::TypeNotFound;
inline constexpr auto kFound = DataLookup::Found;
inline constexpr auto kNotFound = DataLookup::NotFound;
inline constexpr auto kLoadFailed = DataLookup::LoadFailed;

// The reader, with each type given as the text a caller would type.
class TestReader {
 public:
  explicit TestReader(std::unique_ptr<pe::ResourceReader> reader) : reader_(std::move(reader)) {}
  ResourceError EnumNames(std::wstring_view type, std::vector<EnumeratedName>& names) const {
    return reader_->EnumNames(pe::KeyFromTyped(type), names);
  }
  ResourceError CheckName(std::wstring_view type, const NameKey& name) const {
    return reader_->CheckName(pe::KeyFromTyped(type), name);
  }
  ResourceData Find(std::wstring_view type, const NameKey& name) const {
    return reader_->Find(pe::KeyFromTyped(type), name);
  }
  // A name of an enumeration, looked up under the identity it was given.
  ResourceError CheckName(std::wstring_view type, const EnumeratedName& name) const {
    return CheckName(type, pe::KeyFromEnumerated(name));
  }
  ResourceData Find(std::wstring_view type, const EnumeratedName& name) const {
    return Find(type, pe::KeyFromEnumerated(name));
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

// The UIFILE names the reader lists, for going through them: a failed listing
// fails the test and gives none.
inline std::vector<EnumeratedName> UifileNames(const ParsedImage& image) {
  std::vector<EnumeratedName> names;
  if (!image.reader) {
    ADD_FAILURE() << "the image does not parse";
  } else {
    EXPECT_EQ(image.reader->EnumNames(L"UIFILE", names), kOk);
  }
  return names;
}

inline std::string FormatName(PeFormat format) {
  return format == PeFormat::Pe32 ? "Pe32" : "Pe32Plus";
}

// The bytes a lookup found, as text.
inline std::string FoundText(const ParsedImage&, const ResourceData& found) {
  if (found.lookup != DataLookup::Found) return "<not found>";
  return std::string(reinterpret_cast<const char*>(found.data), found.size);
}

// Keys as the three kinds of caller make them: an id, a name typed by the user
// ("#123" is the id 123 there), a string name handed over by an enumeration.
inline NameKey Id(std::uint16_t id) {
  return pe::KeyFromId(id);
}
inline NameKey Text(std::wstring_view text) {
  return pe::KeyFromTyped(text);
}
inline NameKey Stored(std::wstring_view text) {
  return pe::KeyFromStored(text);
}
// A resource type, written as a caller would type it ("UIFILE", "#10").
inline NameKey Type(std::wstring_view text) {
  return pe::KeyFromTyped(text);
}

// A key as text for the test's messages: an id as "#<id>", a string as folded.
inline std::wstring Describe(const NameKey& key) {
  switch (key.kind) {
    case NameKey::Kind::Id:
      return L"#" + std::to_wstring(key.id);
    case NameKey::Kind::Text:
      return std::wstring(key.folded.begin(), key.folded.end());
    case NameKey::Kind::Invalid:
      break;
  }
  return L"<invalid>";
}

// Names as comparable text: ids as "#<id>", string names as they are.
inline std::vector<std::wstring> NameTexts(const std::vector<EnumeratedName>& names) {
  std::vector<std::wstring> texts;
  for (const EnumeratedName& name : names) {
    texts.push_back(name.isId ? L"#" + std::to_wstring(name.id) : name.text);
  }
  return texts;
}

}  // namespace tamro::test
