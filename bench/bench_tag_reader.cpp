// The text reader of tamro-compile alone: a realistic text (tamro's own rendering
// of a large realistic blob, about 52 MiB) read through ReadTags by a handler that
// does nothing, streamed in 64 KiB pieces as from a bounded file buffer or handed
// over as one piece as from a mapping; the same text in UTF-16 and through a
// legacy decoder; and shapes that would cost a naive reader quadratic time: the
// whole text on one line, and one value of many pieces.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "bench/duib_corpus.h"
#include "compile/tag_reader.h"
#include "engine/convert_blob.h"
#include "platform/platform.h"

namespace {

using tamro::compile::CallPosition;
using tamro::compile::DecodePolicy;
using tamro::compile::TagKind;
using tamro::compile::Word;

constexpr std::size_t kPiece = std::size_t{1} << 16;

class StringSink final : public tamro::OutputSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

const std::string& RealisticText() {
  static const std::string text = [] {
    const tamro::bench::Blob blob = tamro::bench::RealisticBlob(335000);
    StringSink sink;
    tamro::ConvertBlob(blob.bytes.data(), static_cast<std::uint32_t>(blob.bytes.size()),
                       tamro::platform::EncodeOutputString, sink);
    return sink.text;
  }();
  return text;
}

class PieceSource final : public tamro::compile::ByteSource {
 public:
  PieceSource(std::string_view bytes, std::size_t pieceSize) : bytes_(bytes), size_(pieceSize) {}
  std::span<const std::uint8_t> Next() override {
    const std::string_view piece = bytes_.substr(at_, size_);
    at_ += piece.size();
    return {reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()};
  }
  void Rewind() override { at_ = 0; }

 private:
  std::string_view bytes_;
  std::size_t size_;
  std::size_t at_ = 0;
};

class IdleHandler final : public tamro::compile::TagHandler {
 public:
  std::string_view OnTag(TagKind, const Word& name, const CallPosition&) override {
    benchmark::DoNotOptimize(name.text.data());
    ++calls;
    return {};
  }
  std::string_view OnAttribute(const Word&, const Word& value, const CallPosition&) override {
    benchmark::DoNotOptimize(value.text.data());
    ++calls;
    return {};
  }
  std::string_view OnTagEnd(bool finished, const CallPosition&) override {
    benchmark::DoNotOptimize(finished);
    ++calls;
    return {};
  }
  std::uint64_t calls = 0;
};

bool DecodeLatin1(std::span<const std::uint8_t> bytes, std::u16string& units) {
  units.append(bytes.begin(), bytes.end());
  return true;
}

void Run(benchmark::State& state, const std::string& bytes, std::size_t pieceSize,
         DecodePolicy policy = {}) {
  std::uint64_t calls = 0;
  bool failed = false;
  for (auto _ : state) {
    PieceSource source(bytes, pieceSize);
    IdleHandler handler;
    failed = tamro::compile::ReadTags(source, policy, handler).has_value();
    calls = handler.calls;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.counters["input_MiB"] = static_cast<double>(bytes.size()) / (1 << 20);
  state.counters["calls"] = static_cast<double>(calls);
  state.counters["failed"] = failed;
}

void BM_RealisticUtf8(benchmark::State& state) {
  Run(state, RealisticText(), static_cast<std::size_t>(state.range(0)));
}
BENCHMARK(BM_RealisticUtf8)
    ->Arg(kPiece)
    ->Arg(std::int64_t{1} << 30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_RealisticUtf16(benchmark::State& state) {
  static const std::string bytes = [] {
    std::string utf16 = "\xFF\xFE";
    for (const char c : RealisticText()) utf16 += {c, '\0'};
    return utf16;
  }();
  Run(state, bytes, kPiece);
}
BENCHMARK(BM_RealisticUtf16)->Unit(benchmark::kMillisecond)->UseRealTime();

// Pure ASCII goes to the legacy decoder after one scan of the whole input.
void BM_RealisticLegacy(benchmark::State& state) {
  Run(state, RealisticText(), kPiece, DecodePolicy{DecodeLatin1});
}
BENCHMARK(BM_RealisticLegacy)->Unit(benchmark::kMillisecond)->UseRealTime();

// Columns are counted on from the last call, never from the line's start.
void BM_OneLine(benchmark::State& state) {
  static const std::string bytes = [] {
    std::string line = RealisticText();
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
  }();
  Run(state, bytes, kPiece);
}
BENCHMARK(BM_OneLine)->Unit(benchmark::kMillisecond)->UseRealTime();

// One value of 32 MiB: the carry buffer at least doubles on each extension, so
// the value is scanned a bounded number of times.
void BM_LongValue(benchmark::State& state) {
  static const std::string bytes = "<a b=\"" + std::string(std::size_t{32} << 20, 'v') + "\"/>\r\n";
  Run(state, bytes, kPiece);
}
BENCHMARK(BM_LongValue)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
