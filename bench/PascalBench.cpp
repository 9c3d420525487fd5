// The Pascal side of a migration: decoding a unit, lexing it, and rewriting
// it (uses clauses, class names in code and comments). Throughput is in bytes
// of the unit files as on disk.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "pascal/PasParser.h"
#include "replace/KyReplacer.h"
#include "rtl/Encoding.h"

namespace mirel::bench {
namespace {

constexpr int kUnits = 60;

std::vector<TTextFile> DecodedUnits() {
  std::vector<TTextFile> units;
  for (const std::string& bytes : SampleUnits(kUnits))
    units.push_back(TComponentReplacer::ReadTextFile(bytes));
  return units;
}

// Decoding and encoding back, as every converted unit is read and written.
void BM_DecodeEncodeUnit(benchmark::State& state) {
  const std::vector<std::string> files = SampleUnits(kUnits);
  for (auto _ : state) {
    for (const std::string& bytes : files) {
      const TTextFile unit = TComponentReplacer::ReadTextFile(bytes);
      std::string back = unit.Bytes(unit.Text);
      benchmark::DoNotOptimize(back);
    }
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes(files));
}
BENCHMARK(BM_DecodeEncodeUnit);

// The same in a double-byte code page (GBK), where a byte from 0x80 up may
// begin a pair.
void BM_DecodeEncodeUnitDoubleByte(benchmark::State& state) {
  const std::vector<std::string> files = SampleUnits(kUnits);
  const TEncoding& gbk = TEncoding::CodePage(936);
  for (auto _ : state) {
    for (const std::string& bytes : files) {
      std::string back = gbk.GetBytes(gbk.GetString(bytes));
      benchmark::DoNotOptimize(back);
    }
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes(files));
}
BENCHMARK(BM_DecodeEncodeUnitDoubleByte);

void BM_LexUnit(benchmark::State& state) {
  const std::vector<TTextFile> units = DecodedUnits();
  const int64_t bytes = TotalBytes(SampleUnits(kUnits));
  for (auto _ : state) {
    for (const TTextFile& unit : units) {
      TPasParser lexer(unit.Text);
      StringView lexem;
      int lexems = 0;
      while (lexer.GetNext(lexem) != LexEnd) ++lexems;
      benchmark::DoNotOptimize(lexems);
    }
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_LexUnit);

// ProcessUnit of the BDE profile into a file system that drops the output.
void BM_RewriteUnit(benchmark::State& state) {
  TProfilesScope profiles;
  TComponentReplacer& replacer = BdeReplacer();
  TSinkFileSystem sink;
  replacer.SetFileSystem(sink);
  const std::vector<TTextFile> units = DecodedUnits();
  const int64_t bytes = TotalBytes(SampleUnits(kUnits));
  for (auto _ : state) {
    for (const TTextFile& unit : units) {
      replacer.Units().Clear();
      replacer.ProcessUnit(unit, u"/bench/in/Unit.pas", u"/bench/out/Unit.pas");
    }
  }
  replacer.Units().Clear();
  replacer.SetFileSystem(TFileSystem::Real());
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["written"] = static_cast<double>(sink.Files());
}
BENCHMARK(BM_RewriteUnit);

}  // namespace
}  // namespace mirel::bench

BENCHMARK_MAIN();
