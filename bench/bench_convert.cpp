// Conversion throughput: from blob bytes to the bytes of the output file, for a
// large realistic UI file, and scaling for blobs shaped to defeat a naive
// converter (doubling such an input may at most double the time).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/duib_corpus.h"
#include "io/item_pipeline.h"
#include "io/output_file.h"

namespace {

using tamro::bench::Blob;

// One item as the batches run it: convert into the batch's text buffer, then
// encode the text for the file.
std::size_t ConvertToFileBytes(const Blob& blob, std::wstring& text, std::string& bytes,
                               tamro::ItemCode& code) {
  tamro::ItemResult result;
  text.clear();
  tamro::ConvertItem(result, blob.bytes.data(), static_cast<std::uint32_t>(blob.bytes.size()),
                     text);
  code = result.code;
  tamro::OutputFileBytes(text, bytes);
  benchmark::DoNotOptimize(bytes.data());
  return bytes.size();
}

void Run(benchmark::State& state, const Blob& blob) {
  std::size_t outputBytes = 0;
  tamro::ItemCode code = tamro::ResultOk;
  // The batch keeps its text and byte buffers from one item to the next; one
  // untimed run first, so the figures are the conversion's and not the first
  // touch of fresh pages (docs/performance.md gives that cost separately).
  std::wstring text;
  std::string bytes;
  ConvertToFileBytes(blob, text, bytes, code);
  for (auto _ : state) outputBytes = ConvertToFileBytes(blob, text, bytes, code);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputBytes));
  state.counters["output_MiB"] = static_cast<double>(outputBytes) / (1 << 20);
  state.counters["blob_MiB"] = static_cast<double>(blob.bytes.size()) / (1 << 20);
  state.counters["item_code"] = code;
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
BENCHMARK(BM_ResidHeavy)->Arg(100000)->Arg(200000)->Arg(250000)->Unit(benchmark::kMillisecond);

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
