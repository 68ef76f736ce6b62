#include "tests/e2e/e2e_samples.h"

#include "tests/builders/duib_builder.h"
#include "tests/e2e/e2e_support.h"

namespace tamro::e2e {

using namespace tamro::test;

Sample CleanSample(const std::u16string& word) {
  DuibBuilder b;
  const std::uint16_t value = b.String(word);
  b.Open(builtin::duixml).Empty(builtin::Element, {{builtin::id, value}}).Close(builtin::duixml);
  std::string ascii(word.begin(), word.end());
  return {b.Build(), CrLf({"<duixml>", "\t<Element id=\"" + ascii + "\"/>", "</duixml>"})};
}

Sample NonAsciiSample() {
  DuibBuilder b;
  const std::uint16_t main = b.String(u"main");
  const std::uint16_t value = b.String(u"caf\u00E9 \u65E5\u672C");
  b.Open(builtin::duixml)
      .Empty(builtin::Element, {{builtin::resid, main}, {builtin::content, value}})
      .Close(builtin::duixml);
  b.Resid(main, 1);
  return {b.Build(), CrLf({"<duixml>",
                           "\t<Element resid=\"main\" content=\"caf\xC3\xA9 "
                           "\xE6\x97\xA5\xE6\x9C\xAC\"/>",
                           "</duixml>"})};
}

Sample OneUnknownSample() {
  DuibBuilder b;
  const std::uint16_t value = b.String(u"x");
  b.Open(builtin::duixml).Empty(0xFFFF, {{builtin::id, value}}).Close(builtin::duixml);
  return {b.Build(), CrLf({"<duixml>", "\t<UNKNOWN_ELEM(FFFF) id=\"x\"/>", "</duixml>"})};
}

Sample ResidAndUnknownSample() {
  DuibBuilder b;
  const std::uint16_t a = b.String(u"a");
  const std::uint16_t other = b.String(u"b");
  b.Open(builtin::duixml)
      .Empty(builtin::Element, {{builtin::resid, a}, {0x9000, 0x7000}})
      .Close(builtin::duixml);
  b.Resid(other, 1);  // the table names another value: the cross-check fails
  return {b.Build(),
          CrLf({"<duixml>", "\t<Element resid=\"a\" UNKNOWN_ATTR(9000)=\"UNKNOWN_VAL(7000)\"/>",
                "</duixml>"})};
}

Sample BadMagicSample() {
  DuibBuilder b;
  b.magic = 0x42495544;  // "DUIB"
  b.Empty(builtin::Element);
  return {b.Build(), {}};
}

Sample CountMismatchSample() {
  DuibBuilder b;
  b.Empty(builtin::Element);
  b.elementCount = 2;
  return {b.Build(), {}};
}

}  // namespace tamro::e2e
