#include "bench/duib_corpus.h"

#include <algorithm>
#include <string>

#include "tests/builders/duib_builder.h"

namespace tamro::bench {
namespace {

using test::Attribute;
using test::DuibBuilder;
namespace b = test::builtin;

// A deterministic generator, so every run measures the same blob.
class Lcg {
 public:
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }

 private:
  std::uint64_t state_ = 0x5eed;
};

}  // namespace

Blob RealisticBlob(std::uint32_t controls) {
  DuibBuilder d;
  Lcg random;
  // Real files draw on a few strings per control, up to a few thousand in all.
  const std::uint32_t pool = std::clamp<std::uint32_t>(controls, 16, 3000);
  std::vector<std::uint16_t> ids;  // control ids such as "atom(ButtonText417)"
  std::vector<std::uint16_t> values;
  for (std::uint32_t i = 0; i < pool; ++i) {
    const std::u16string n = u"atom(" + std::u16string(u"ControlName") +
                             std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                             std::u16string(1, static_cast<char16_t>(u'a' + i / 26 % 26)) + u")";
    ids.push_back(static_cast<std::uint16_t>(d.AddRawString(n)));
  }
  for (std::uint32_t i = 0; i < pool; ++i) {
    const std::u16string v = u"rcint(" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                             u"0" + std::u16string(1, static_cast<char16_t>(u'0' + i / 10 % 10)) +
                             u"4)rp, resource string " +
                             std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
    values.push_back(static_cast<std::uint16_t>(d.AddRawString(v)));
  }
  const std::uint16_t attributeNames[] = {
      b::layoutpos,       b::content, b::width, 0x8025 /*height*/,
      0x8021 /*padding*/, b::class_,  0x800B /*accessible*/};
  const std::uint16_t elementNames[] = {b::Element, b::style, 0x800C /*font*/};

  d.Open(b::duixml);
  std::uint32_t made = 0;
  while (made < controls) {
    d.Open(b::Element, {{b::resid, ids[random.Below(pool)]}, {b::layout, b::borderlayout}});
    const std::uint32_t children = 5 + random.Below(20);
    for (std::uint32_t c = 0; c < children && made < controls; ++c, ++made) {
      std::vector<Attribute> attributes = {{b::id, ids[random.Below(pool)]}};
      const std::uint32_t extra = 2 + random.Below(4);
      for (std::uint32_t a = 0; a < extra; ++a) {
        attributes.push_back({attributeNames[random.Below(7)],
                              random.Below(3) == 0 ? b::client : values[random.Below(pool)]});
      }
      d.Empty(elementNames[random.Below(3)], attributes);
    }
    d.Close(b::Element);
  }
  d.Close(b::duixml);
  return {d.Build(), d.ElementCount()};
}

Blob ResidHeavyBlob(std::uint32_t count) {
  DuibBuilder d;
  const std::uint16_t value = d.String(u"IDC_CONTROL");
  d.Open(b::duixml);
  for (std::uint32_t i = 0; i < count; ++i) {
    d.Empty(b::Element, {{b::resid, value}});
    d.Resid(value, i + 1);
  }
  d.Close(b::duixml);
  return {d.Build(), d.ElementCount()};
}

Blob LongStringReferencesBlob(std::uint32_t count, std::uint32_t length) {
  DuibBuilder d;
  d.AddRawString(std::u16string(length, u'x'));
  // The offset of string 0 is 8 + 4 * entries; the table is built as a whole, so
  // every entry can point at it once the entry count is known.
  for (std::uint32_t i = 1; i < count; ++i) d.AddStringOffset(8 + 4 * count);
  d.Open(b::duixml);
  const std::uint32_t perElement = 64;
  for (std::uint32_t done = 0; done < count; done += perElement) {
    std::vector<Attribute> attributes;
    for (std::uint32_t a = 0; a < perElement; ++a) {
      attributes.push_back({b::id, static_cast<std::uint16_t>((done + a) & 0x7FFF)});
    }
    d.Empty(b::Element, attributes);
  }
  d.Close(b::duixml);
  return {d.Build(), d.ElementCount()};
}

}  // namespace tamro::bench
