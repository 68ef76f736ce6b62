// Fuzzes tamro-compile's compiler on arbitrary bytes, read as UTF-8 (as on Linux)
// and with a legacy code page (as on Windows). Either a clean fault comes out, at a
// line and column, or a blob that tamro converts without a read failure, whose
// text compiles to the very same blob again. A blob that fails its own check is a
// fault of the compiler.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compile/compile_text.h"
#include "engine/convert_blob.h"
#include "fuzz/target_common.h"
#include "platform/platform.h"

namespace {

using tamro::compile::CompileOutcome;
using tamro::fuzz::Check;

// The input in pieces of a fixed size, so that tokens cross piece boundaries.
class Pieces final : public tamro::compile::ByteSource {
 public:
  explicit Pieces(std::string_view bytes) : bytes_(bytes) {}
  std::span<const std::uint8_t> Next() override {
    const std::string_view piece = bytes_.substr(at_, 4093);
    at_ += piece.size();
    return {reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()};
  }
  void Rewind() override { at_ = 0; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A code page in which every byte is the character of the same number.
bool Latin1(std::span<const std::uint8_t> bytes, std::u16string& units) {
  for (const std::uint8_t byte : bytes) units.push_back(byte);
  return true;
}

class StringSink final : public tamro::OutputSink {
 public:
  void Write(std::string_view piece) override { text.append(piece); }
  std::string text;
};

CompileOutcome Compile(std::string_view text, tamro::compile::LegacyDecoder legacy) {
  Pieces source(text);
  return tamro::compile::CompileText(source, tamro::compile::DecodePolicy{legacy});
}

void CompileAndReadBack(std::string_view input, tamro::compile::LegacyDecoder legacy) {
  const CompileOutcome outcome = Compile(input, legacy);
  Check(outcome.kind != CompileOutcome::Kind::CheckFailed);
  if (outcome.kind == CompileOutcome::Kind::Faulty) {
    Check(!outcome.error.message.empty() && outcome.error.at.line >= 1 &&
          outcome.error.at.column >= 1);
    return;
  }
  if (outcome.kind != CompileOutcome::Kind::Compiled) return;
  StringSink sink;
  const tamro::ConvertResult converted =
      tamro::ConvertBlob(outcome.blob.data(), static_cast<std::uint32_t>(outcome.blob.size()),
                         tamro::platform::EncodeOutputString, sink);
  Check(converted.status == tamro::ConvertStatus::Ok ||
        converted.status == tamro::ConvertStatus::Warnings);
  if (sink.text.size() > (std::size_t{8} << 20)) return;  // far past any input here
  const CompileOutcome again = Compile(sink.text, nullptr);
  Check(again.kind == CompileOutcome::Kind::Compiled && again.blob == outcome.blob);
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace

tamro::fuzz::Seeds tamro::fuzz::MakeSeeds() {
  return {
      Bytes("<duixml>\r\n\t<Element resid=\"main\" id=\"atom(x)\"/>\r\n</duixml>\r\n"),
      Bytes("\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- c --><a b = \"c\"\r\nd=\"e\nf\"></a>"),
      Bytes("<stylesheets resid=\"a\"><x resid=\"b\" resid=\"b\"/></stylesheets resid=\"c\">"),
      Bytes("<UNKNOWN_ELEM(   5) UNKNOWN_ATTR(FFFF)=\"UNKNOWN_VAL(  41)\" a=\"\"/><b c=\"d\" "),
      Bytes(std::string_view("\xFF\xFE<\0a\0/\0>\0", 10)),
      Bytes("<a b=\"caf\xE9 \xC3\xA9\"/>"),
      Bytes("<a b=\"unclosed/>\n<c d=\"x\"y\"/>"),
  };
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CompileAndReadBack(input, nullptr);
  CompileAndReadBack(input, Latin1);
  return 0;
}
