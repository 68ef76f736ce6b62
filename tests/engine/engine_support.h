// What the engine tests render into: a sink that keeps every byte, and an
// encoder that shows how each blob string reaches it (ASCII as it is, any other
// code unit as {XXXX}), so a test sees the units the engine hands over.
#pragma once

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/duib_convert.h"
#include "engine/output_sink.h"
#include "tests/builders/duib_builder.h"
#include "tests/support/code_printers.h"

namespace tamro::test {

// Keeps the bytes (unless told not to, for outputs of hundreds of MiB) and counts
// them and the writes.
class StringSink final : public OutputSink {
 public:
  explicit StringSink(bool keep = true) : keep_(keep) {}
  void Write(std::string_view bytes) override {
    if (keep_) text.append(bytes);
    size += bytes.size();
    largestWrite = std::max(largestWrite, bytes.size());
    ++writes;
  }
  std::string text;
  std::uint64_t size = 0;
  std::size_t largestWrite = 0;
  int writes = 0;

 private:
  bool keep_;
};

inline void ShowUnits(std::u16string_view units, std::string& bytes) {
  for (const char16_t unit : units) {
    if (unit < 0x80) {
      bytes.push_back(static_cast<char>(unit));
    } else {
      bytes += fmt::format("{{{:04X}}}", static_cast<unsigned>(unit));
    }
  }
}

// What one conversion gave.
struct Rendered {
  ConvertStatus status;
  std::string text;
  std::uint32_t unknown;
  bool residFailed;
};

// Converts the blob that `builder` makes, with the given output cap.
inline Rendered Render(const DuibBuilder& builder, std::uint64_t cap = kMaxOutputBytes) {
  const std::vector<std::uint8_t> bytes = builder.Build();
  CDuibConvert converter(ShowUnits, cap);
  Rendered r{};
  StringSink sink;
  const duib::WalkResult result =
      converter.Convert(bytes.data(), static_cast<std::uint32_t>(bytes.size()), sink);
  r.status = result.status;
  r.text = std::move(sink.text);
  r.unknown = result.unknownCount;
  r.residFailed = result.residFailed;
  return r;
}

}  // namespace tamro::test
