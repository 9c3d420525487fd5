// The binary form converters: a whole binary form file to form text, and form
// text to a binary form file, as a run does for every binary form it converts.
// Throughput is in bytes of the input.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "rtl/FormConvert.h"

namespace mirel::bench {
namespace {

constexpr int kForms = 60;

void BM_BinaryToText(benchmark::State& state) {
  const std::vector<std::string> files = SampleBinaryForms(kForms);
  for (auto _ : state) {
    for (const std::string& file : files) {
      TBinaryFormKind kind;
      String text = BinaryFormToText(file, kind);
      benchmark::DoNotOptimize(text);
    }
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes(files));
}
BENCHMARK(BM_BinaryToText);

void BM_TextToBinary(benchmark::State& state) {
  const std::vector<std::string> files = SampleBinaryForms(kForms);
  std::vector<String> texts;
  std::vector<TBinaryFormKind> kinds(files.size());
  int64_t chars = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    texts.push_back(BinaryFormToText(files[i], kinds[i]));
    chars += static_cast<int64_t>(texts.back().size());
  }
  for (auto _ : state) {
    for (size_t i = 0; i < texts.size(); ++i) {
      std::string bytes = TextToBinaryForm(texts[i], kinds[i]);
      benchmark::DoNotOptimize(bytes);
    }
  }
  state.SetBytesProcessed(state.iterations() * chars);
}
BENCHMARK(BM_TextToBinary);

}  // namespace
}  // namespace mirel::bench

BENCHMARK_MAIN();
