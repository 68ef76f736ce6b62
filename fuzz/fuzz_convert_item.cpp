// Fuzzes the signature test and one conversion on arbitrary bytes: no crash, no
// sanitizer report, and the conversion always ends with a defined status.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "duib/blob_view.h"
#include "engine/convert_blob.h"
#include "engine/duib_convert.h"
#include "fuzz/target_common.h"
#include "platform/platform.h"
#include "tests/builders/duib_builder.h"

namespace {

using tamro::test::DuibBuilder;
namespace b = tamro::test::builtin;

class CountingSink final : public tamro::OutputSink {
 public:
  void Write(std::string_view piece) override { bytes += piece.size(); }
  std::uint64_t bytes = 0;
};

}  // namespace

tamro::fuzz::Seeds tamro::fuzz::MakeSeeds() {
  tamro::fuzz::Seeds seeds;
  {
    DuibBuilder d;
    const auto main = d.String(u"main");
    d.Open(b::duixml).Empty(b::Element, {{b::resid, main}}).Close(b::duixml);
    d.Resid(main, 1);
    seeds.push_back(d.Build());
  }
  {
    DuibBuilder d;
    const auto x = d.String(u"x\U0001F600");
    d.Open(b::stylesheets, {{b::resid, x}}).Empty(0x9999, {{0x7777, 0xFFFF}});
    d.Close(b::stylesheets).Empty(b::stylesheets).Empty(b::Element, {{b::resid, x}});
    d.Resid(x, 4).Resid(x, 4);
    d.oddStringAlignment = true;
    seeds.push_back(d.Build());
  }
  {
    DuibBuilder d;
    d.String(u"a");
    d.AddStringOffset(8);
    d.Item(tamro::test::ElementItem(7, 2, b::Element)).Item(0x12345678);
    d.order = tamro::test::SectionOrder::ResidStringElement;
    d.elementTailBytes = 3;
    seeds.push_back(d.Build());
  }
  seeds.push_back({'d', 'u', 'i', 'b', 5});
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  const auto size32 = static_cast<std::uint32_t>(size);
  const bool duib = tamro::duib::IsDuibBuffer(data, size32);
  tamro::fuzz::Check(!duib || size >= 5);

  // Convert whatever the signature says, so the reader sees every kind of header.
  CountingSink sink;
  const tamro::ConvertResult result =
      tamro::ConvertBlob(data, size32, tamro::platform::EncodeOutputString, sink);
  using enum tamro::ConvertStatus;
  const tamro::ConvertStatus s = result.status;
  tamro::fuzz::Check(s == Ok || s == SizeCheck || s == HeaderRead || s == BadSignature ||
                     s == ElementCount || s == TooLarge || s == Warnings);
  tamro::fuzz::Check(s != Ok ||
                     (result.unknownCount == 0 && !result.residFailed));  // Ok has no warnings
  tamro::fuzz::Check(sink.bytes <= tamro::kMaxOutputBytes);
  return 0;
}
