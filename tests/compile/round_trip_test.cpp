// The round trip of the text form, as a property over many blobs: generated ones
// of every shape and the project's fixtures (the bundled samples, the output
// corpus, the converter's fuzz corpus). For every blob that tamro converts, with
// or without warnings, whose names and values the text can show, the text
// compiles to a blob whose text is the same, byte for byte; and a blob the
// compiler wrote compiles from its own text to the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compile/compile_text.h"
#include "duib/blob_view.h"
#include "duib/layout.h"
#include "duib/placeholder.h"
#include "engine/convert_blob.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "tests/builders/duib_builder.h"
#include "tests/builders/output_corpus.h"
#include "tests/compile/reader_support.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using Bytes = std::vector<std::uint8_t>;

class StringSink final : public OutputSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

// The text of the blob's output file, when tamro writes one.
std::optional<std::string> TextOf(std::span<const std::uint8_t> blob) {
  StringSink sink;
  const ConvertResult result = ConvertBlob(blob.data(), static_cast<std::uint32_t>(blob.size()),
                                           platform::EncodeOutputString, sink);
  if (result.status != ConvertStatus::Ok && result.status != ConvertStatus::Warnings) {
    return std::nullopt;
  }
  return sink.text;
}

compile::CompileOutcome Compile(const std::string& text) {
  compile::test::PieceSource source(text, std::size_t{1} << 16);
  return compile::CompileText(
      source,
      compile::DecodePolicy{platform::TextsMayBeAnsi() ? platform::DecodeAnsiText : nullptr});
}

// Whether the text can show every name and value of the blob so that they read
// back, as the output file shows them: element types 0 to 2 only; names without white space, '=',
// '<', '>', '/' or '"', none that opens as a placeholder, and no element name that reads as a
// declaration or comment ('?', '!'); values without '"'.
bool TextCanShow(const Bytes& blob) {
  duib::BlobView view;
  if (view.Read(blob.data(), static_cast<std::uint32_t>(blob.size())) != ConvertStatus::Ok) {
    return false;
  }
  const auto text = [&](std::uint16_t id) -> std::u16string {
    if (duib::IsBuiltin(id) || id >= view.StringCount()) return u"";
    const std::uint32_t start = view.StringStart(id);
    std::u16string units(view.StringUnits(start), u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(
          view.Bytes().U16Unchecked(static_cast<std::uint32_t>(start + 2 * i)));
    }
    return units;
  };
  // As the output file shows it: on Windows in the ANSI code page, where a
  // character it lacks may become '?' or a best-fit look-alike such as '"'.
  const auto shown = [&](std::uint16_t id) {
    std::string bytes;
    platform::EncodeOutputString(text(id), bytes);
    return bytes;
  };
  const auto nameShows = [&](std::uint16_t id, bool element) {
    const std::string name = shown(id);
    if (element && (name.starts_with('?') || name.starts_with('!'))) return false;
    if (name.starts_with(duib::PlaceholderPrefix(element ? duib::NameKind::Element
                                                         : duib::NameKind::Attribute))) {
      return false;  // opens as a placeholder: refused, or read back as its ID
    }
    return name.find_first_of(" \t\r\n=<>/\"") == std::string::npos;
  };
  std::uint32_t attributes = 0;
  for (std::uint32_t k = 0; k < view.ItemCount(); ++k) {
    const std::uint32_t item = view.Item(k);
    if (attributes == 0) {
      if (duib::ItemType(item) > 2 || !nameShows(duib::ItemName(item), true)) return false;
      attributes = duib::ItemAttributeCount(item);
      continue;
    }
    --attributes;
    if (!nameShows(duib::AttributeName(item), false)) return false;
    if (shown(duib::AttributeValue(item)).find('"') != std::string::npos) return false;
  }
  return true;
}

// ---- Generated blobs -----------------------------------------------------------

// A number below `n`.
std::uint32_t Draw(std::mt19937& random, std::uint32_t n) {
  return static_cast<std::uint32_t>(random() % n);
}

// Strings of every kind the text meets: plain words, built-in words, placeholder
// look-alikes, non-ASCII, surrogates; now and then blanks, quotes, tag
// characters and line ends, which a name or value cannot always show.
std::u16string RandomString(std::mt19937& random) {
  static const std::u16string kShown[] = {u"a",
                                          u"Button",
                                          u"id",
                                          u"v.1",
                                          u"9",
                                          u"\u00E9",
                                          u"\u65E5",
                                          u"\U0001F600",
                                          u"\xD800",
                                          u"\xDC01",
                                          u"Element",
                                          u"resid",
                                          u"UNKNOWN_VAL(   5)",
                                          u"&amp;",
                                          u"borderlayout()",
                                          u"",
                                          u"-",
                                          u"(x)"};
  static const std::u16string kRisky[] = {u"x y", u"\"", u"<",  u">", u"/>",  u"=", u"\r\n",
                                          u"\n",  u"\r", u"\t", u"?", u"!--", u"  "};
  std::u16string text;
  const std::uint32_t pieces = Draw(random, 4);
  for (std::uint32_t i = 0; i <= pieces; ++i) {
    text += Draw(random, 12) == 0
                ? kRisky[Draw(random, static_cast<std::uint32_t>(std::size(kRisky)))]
                : kShown[Draw(random, static_cast<std::uint32_t>(std::size(kShown)))];
  }
  return text;
}

std::uint16_t RandomId(std::mt19937& random, std::uint32_t strings) {
  switch (Draw(random, 8)) {
    case 0:
      return static_cast<std::uint16_t>(0x8000 + Draw(random, 0x40));  // some unknown
    case 1:
      return static_cast<std::uint16_t>(0xFFFF - Draw(random, 3));
    case 2:
      return static_cast<std::uint16_t>(strings + Draw(random, 3));  // past the table
    default:
      return static_cast<std::uint16_t>(strings == 0 ? 0 : Draw(random, strings));
  }
}

Bytes RandomBlob(std::uint32_t seed) {
  std::mt19937 random(seed);
  test::DuibBuilder d;
  const std::uint32_t strings = Draw(random, 12);
  for (std::uint32_t i = 0; i < strings; ++i) d.AddRawString(RandomString(random));
  const std::uint32_t elements = Draw(random, 16);
  std::uint32_t element = 0;
  for (; element < elements; ++element) {
    std::uint32_t type = Draw(random, 3);
    if (Draw(random, 24) == 0) type = 3 + Draw(random, 13);
    std::uint32_t attributeCount = Draw(random, 4);
    const bool cut = element + 1 == elements && Draw(random, 6) == 0;  // stream ends inside it
    d.Item(test::ElementItem(type, attributeCount + (cut ? 1 + Draw(random, 3) : 0),
                             RandomId(random, strings)));
    for (std::uint32_t a = 0; a < attributeCount; ++a) {
      const bool resid = Draw(random, 5) == 0;
      const std::uint16_t name = resid ? test::builtin::resid : RandomId(random, strings);
      const std::uint16_t value = RandomId(random, strings);
      d.Item(test::AttributeItem(name, value));
      if (resid && Draw(random, 2) == 0) {
        d.Resid(Draw(random, 4) == 0 ? value + 1u : value, element);
      }
    }
  }
  if (Draw(random, 8) == 0) d.Resid(Draw(random, 5), Draw(random, 20));
  d.elementCount = Draw(random, 12) == 0 ? element + 1 : element;
  return d.Build();
}

// ---- Fixtures --------------------------------------------------------------------

std::vector<Bytes> Fixtures() {
  std::vector<Bytes> blobs;
  for (test::CorpusBlob& blob : test::OutputCorpus(TAMRO_SAMPLES_DIR)) {
    blobs.push_back(std::move(blob.bytes));
  }
  for (const auto& entry : std::filesystem::directory_iterator(TAMRO_FUZZ_CORPUS_DIR)) {
    const std::string bytes = test::ReadBytes(entry.path());
    blobs.emplace_back(bytes.begin(), bytes.end());
  }
  return blobs;
}

struct Tally {
  int tried = 0;
  int eligible = 0;
  int roundTripped = 0;
  int canonical = 0;
};

void RoundTrip(const Bytes& blob, const std::string& label, Tally& tally) {
  ++tally.tried;
  const std::optional<std::string> text = TextOf(blob);
  if (!text || !TextCanShow(blob)) return;
  ++tally.eligible;
  const compile::CompileOutcome compiled = Compile(*text);
  ASSERT_EQ(compiled.kind, compile::CompileOutcome::Kind::Compiled)
      << label << ": line " << compiled.error.at.line << ", column " << compiled.error.at.column
      << ": " << compiled.error.message << "\n"
      << *text;
  const std::optional<std::string> again = TextOf(compiled.blob.span());
  ASSERT_TRUE(again.has_value()) << label;
  EXPECT_EQ(*again, *text) << label;
  if (*again != *text) return;
  ++tally.roundTripped;
  // The compiler's own blob: its text compiles to the very same bytes.
  const compile::CompileOutcome recompiled = Compile(*again);
  EXPECT_EQ(recompiled.blob, compiled.blob) << label;
  if (recompiled.blob == compiled.blob) ++tally.canonical;
}

TEST(RoundTrip, TextCompilesBackToTheSameText) {
  Tally tally;
  for (std::uint32_t seed = 1; seed <= 10000; ++seed) {
    RoundTrip(RandomBlob(seed), "seed " + std::to_string(seed), tally);
  }
  int fixture = 0;
  for (const Bytes& blob : Fixtures())
    RoundTrip(blob, "fixture " + std::to_string(fixture++), tally);
  std::printf("round trip: %d blobs tried, %d eligible, %d round-tripped (%.1f %%), %d canonical\n",
              tally.tried, tally.eligible, tally.roundTripped,
              tally.eligible == 0 ? 0.0 : 100.0 * tally.roundTripped / tally.eligible,
              tally.canonical);
  EXPECT_EQ(tally.roundTripped, tally.eligible);
  EXPECT_EQ(tally.canonical, tally.roundTripped);
  // Not a vacuous property: a fair share of the generated blobs is eligible (on
  // Windows fewer, as the ANSI code page turns what it lacks into '?').
  EXPECT_GT(tally.eligible, tally.tried / 5);
}

}  // namespace
}  // namespace tamro
