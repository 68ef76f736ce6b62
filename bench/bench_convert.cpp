// The engine alone: from blob bytes to the bytes of the output file, for a large
// realistic UI file, and scaling for blobs shaped to defeat a naive converter
// (doubling such an input may at most double the time). Every iteration runs a
// fresh converter, as every item does; the bytes go to a sink that counts them,
// so the figures leave out the file system (scripts/bench.sh times the whole
// process against cp of the same output).
#include <benchmark/benchmark.h>

#include <string_view>

#include "bench/duib_corpus.h"
#include "engine/convert_blob.h"
#include "platform/platform.h"

namespace {

using tamro::bench::Blob;

class CountingSink final : public tamro::OutputSink {
 public:
  void Write(std::string_view bytes) override {
    benchmark::DoNotOptimize(bytes.data());
    size += bytes.size();
  }
  std::uint64_t size = 0;
};

void Run(benchmark::State& state, const Blob& blob) {
  std::uint64_t outputBytes = 0;
  tamro::ConvertStatus status = tamro::ConvertStatus::Ok;
  for (auto _ : state) {
    CountingSink sink;
    status = tamro::ConvertBlob(blob.bytes.data(), static_cast<std::uint32_t>(blob.bytes.size()),
                                tamro::platform::EncodeOutputString, sink)
                 .status;
    outputBytes = sink.size;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputBytes));
  state.counters["output_MiB"] = static_cast<double>(outputBytes) / (1 << 20);
  state.counters["blob_MiB"] = static_cast<double>(blob.bytes.size()) / (1 << 20);
  state.counters["status"] = static_cast<double>(status);
  state.counters["time_per_element"] = benchmark::Counter(
      static_cast<double>(blob.elementItems),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RealisticUiFile(benchmark::State& state) {
  static const Blob blob = tamro::bench::RealisticBlob(static_cast<std::uint32_t>(state.range(0)));
  Run(state, blob);
}
BENCHMARK(BM_RealisticUiFile)->Arg(250000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResidHeavy(benchmark::State& state) {
  const Blob blob = tamro::bench::ResidHeavyBlob(static_cast<std::uint32_t>(state.range(0)));
  Run(state, blob);
}
BENCHMARK(BM_ResidHeavy)->Arg(100000)->Arg(200000)->Arg(400000)->Unit(benchmark::kMillisecond);

void BM_LongStringReferences(benchmark::State& state) {
  const Blob blob =
      tamro::bench::LongStringReferencesBlob(static_cast<std::uint32_t>(state.range(0)), 4096);
  Run(state, blob);
}
BENCHMARK(BM_LongStringReferences)
    ->Arg(500000)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
