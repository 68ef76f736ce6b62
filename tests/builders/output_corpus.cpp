#include "tests/builders/output_corpus.h"

#include <fstream>
#include <iterator>

#include "tests/builders/duib_builder.h"

namespace tamro::test {
namespace {

namespace b = builtin;
using Bytes = std::vector<std::uint8_t>;

// Every string of `values` as the value of one attribute of one Element each.
Bytes Values(const std::vector<std::u16string>& values) {
  DuibBuilder d;
  d.Open(b::duixml);
  for (const std::u16string& value : values) d.Empty(b::Element, {{b::id, d.String(value)}});
  d.Close(b::duixml);
  return d.Build();
}

Bytes Shapes() {
  DuibBuilder d;
  const auto main = d.String(u"main");
  d.Close(b::Element).Open(b::duixml).Open(b::stylesheets, {{b::resid, main}});
  d.Open(b::style).Empty(b::Element, {{b::resid, main}, {0x7777, 0xFFFF}}).Close(b::style);
  d.Close(b::stylesheets).Open(b::Element, {{b::resid, main}, {b::layout, b::borderlayout}});
  d.Item(ElementItem(7, 1, 0x41)).Item(AttributeItem(b::width, 3));
  d.Empty(5).Close(b::Element, {{b::class_, b::client}}).Close(b::duixml);
  d.Empty(b::stylesheets).Empty(b::Element, {{b::resid, main}});
  d.Resid(main, 2).Resid(main, 5).Resid(9, 9);
  d.elementCount = d.ElementCount() + 1;  // the raw item of type 7
  return d.Build();
}

Bytes EndsInsideAttributes() {
  DuibBuilder d;
  d.Open(b::duixml).Item(ElementItem(1, 3, b::Element)).Item(AttributeItem(b::id, b::True));
  d.elementCount = 2;
  return d.Build();
}

Bytes ManyAttributesAndStrings() {
  DuibBuilder d;
  for (int i = 0; i < 0x8000; ++i) d.AddRawString(i == 0x7FFF ? u"last" : u"s");
  d.Item(ElementItem(1, 4095, b::Element));
  for (int i = 0; i < 4095; ++i) d.Item(AttributeItem(b::id, static_cast<std::uint16_t>(i * 8)));
  d.Empty(b::Element, {{b::id, 0x7FFF}, {b::class_, 0x8000}});
  d.elementCount = 2;
  return d.Build();
}

// Many table entries inside one long string: more text than the blob holds.
Bytes OverlappingStrings() {
  DuibBuilder d;
  d.AddRawString(std::u16string(3000, u'x') + u"\u00E9\r\n");
  for (std::uint32_t i = 1; i < 400; ++i) d.AddStringOffset(8 + 4 * 400 + 2 * (i * 7));
  for (std::uint16_t i = 0; i < 400; ++i) d.Empty(b::Element, {{b::id, i}});
  return d.Build();
}

// A deterministic mix of ASCII, non-ASCII and line-end characters.
Bytes Generated() {
  static constexpr char16_t kAlphabet[] =
      u"abcXYZ 019_-.:\"<>&\t\r\n\u00E9\u00FF\u0152\u20AC"
      u"\u0100\u03B1\u4E2D\uFFFD\uFEFF\xD83D\xDE00\xD800";
  std::uint64_t state = 0x5eed;
  auto next = [&state](std::uint32_t n) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33) % n;
  };
  DuibBuilder d;
  std::vector<std::uint16_t> ids;
  for (int s = 0; s < 300; ++s) {
    std::u16string text;
    for (std::uint32_t n = next(24); n > 0; --n) text += kAlphabet[next(std::size(kAlphabet) - 1)];
    ids.push_back(d.String(text));
  }
  d.Open(b::duixml);
  for (int e = 0; e < 3000; ++e) {
    std::vector<Attribute> attributes;
    for (std::uint32_t a = next(5); a > 0; --a) {
      attributes.push_back({ids[next(300)], next(4) == 0 ? b::none : ids[next(300)]});
    }
    if (next(3) == 0) {
      d.Open(next(2) == 0 ? b::Element : ids[next(300)], attributes);
    } else if (next(3) == 0) {
      d.Close(b::Element, attributes);
    } else {
      d.Empty(b::Element, attributes);
    }
  }
  return d.Build();
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<CorpusBlob> OutputCorpus(const std::string& samplesFolder) {
  std::vector<CorpusBlob> corpus = {
      {"shapes", Shapes()},
      {"ends inside attributes", EndsInsideAttributes()},
      {"count mismatch", CountMismatchBlob()},
      {"many attributes and strings", ManyAttributesAndStrings()},
      {"overlapping strings", OverlappingStrings()},
      {"generated", Generated()},
      {"non-ascii", Values({u"caf\u00E9", u"\u65E5\u672C", u"\u20AC \u0152 \u00FF", u"\u0100\u03B1",
                            u"\uFFFD\uFEFF", u"\U0001F600", u"\u00A0\u00AD"})},
      {"surrogates", Values({u"\xD800", u"\xDC00", u"a\xD800", u"\xD800z", u"\xDBFF\xDBFF\xDFFF",
                             u"\xDFFF\xD800", u"\xD83D\xDE00\xDE00"})},
      {"line ends", Values({u"a\r\nb", u"a\rb", u"a\nb", u"a\n\rb", u"a\r\r\n", u"\r", u"\n",
                            u"\r\n", u"x\r", u"\ny", u"\t \v\f"})},
  };
  for (const char* name : {"23.raw", "40960.raw", "legacy.bin", "ribbon.xml"}) {
    corpus.push_back({name, ReadFile(samplesFolder + "/" + name)});
  }
  return corpus;
}

Bytes CountMismatchBlob() {
  DuibBuilder d;
  d.Empty(b::Element);
  d.elementCount = 2;
  return d.Build();
}

}  // namespace tamro::test
