// mirel-bench-nesting: how the parse time of a form object that fails deep
// inside N levels of nested objects grows with N (N = 2, 4, ... 30), with the
// grammar engine's memoisation on (as the replacer parses) and off.
//
// Each level is a realistic object with a few properties; the innermost one
// has a property whose value does not parse, so the whole object fails only
// after the parser has gone down all N levels and back out through every
// alternative. Times are medians of several parses; a configuration whose
// parse takes longer than the cut-off is not measured at larger N.
//
//   mirel-bench-nesting [MAXDEPTH]
//
// The last line reads "depth=N memo_ms=T" for the deepest N measured, for
// bench/run.sh. Exit status 0, or 1 when a parse unexpectedly succeeds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "forms/KyFormParser.h"

namespace {

using mirel::String;

String NestedObject(int depth) {
  String text;
  for (int i = 0; i < depth; ++i) {
    const String indent(static_cast<size_t>(i) * 2, u' ');
    text += indent + (i == 0 ? u"object qryOrders: TQuery\r\n"
                             : u"object pnlLevel" + mirel::IntToStr(i) + u": TPanel\r\n");
    text += indent + u"  Left = " + mirel::IntToStr(8 * i) + u"\r\n";
    text += indent + u"  Caption = 'Level " + mirel::IntToStr(i) + u"'\r\n";
    text += indent + u"  Font.Style = [fsBold]\r\n";
  }
  const String inner(static_cast<size_t>(depth) * 2, u' ');
  text += inner + u"Broken = @@\r\n";  // no value starts with '@'
  for (int i = depth - 1; i >= 0; --i)
    text += String(static_cast<size_t>(i) * 2, u' ') + u"end\r\n";
  return text;
}

struct TMeasure {
  double ms = 0;
  long long calls = 0;
  bool parsed = false;
};

TMeasure Measure(const String& text, bool memo, int runs) {
  mirel::TKyFormParser parser;
  parser.SetMemoization(memo);
  parser.SetTargetClass(u"TKyQuery");
  std::vector<double> times;
  TMeasure m;
  for (int r = 0; r < runs; ++r) {
    int pos = 1;
    const auto start = std::chrono::steady_clock::now();
    m.parsed = parser.Parse(text, u"<object>", pos) || m.parsed;
    const auto stop = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    m.calls = parser.CallCount();
  }
  std::sort(times.begin(), times.end());
  m.ms = times[times.size() / 2];
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  const int maxDepth = argc > 1 ? std::max(2, std::atoi(argv[1])) : 30;
  // Without the memo each two levels multiply the time; past this one more
  // level would take many seconds.
  constexpr double kCutOffMs = 100;
  bool memoOffStopped = false;
  bool unexpected = false;
  int lastDepth = 0;
  double lastMemoMs = 0;

  std::printf("Failing object nested N deep: parse time (median) and nonterminal calls\n");
  std::printf("%5s %12s %14s %14s %14s\n", "N", "memo on ms", "memo on calls", "memo off ms",
              "memo off calls");
  for (int depth = 2; depth <= maxDepth; depth += 2) {
    const String text = NestedObject(depth);
    const TMeasure on = Measure(text, true, 7);
    std::printf("%5d %12.3f %14lld", depth, on.ms, on.calls);
    if (!memoOffStopped) {
      const TMeasure first = Measure(text, false, 1);
      const TMeasure off = first.ms > 100 ? first : Measure(text, false, 5);
      std::printf(" %14.3f %14lld\n", off.ms, off.calls);
      memoOffStopped = off.ms > kCutOffMs;
      unexpected = unexpected || off.parsed;
    } else {
      std::printf(" %14s %14s\n", "-", "-");
    }
    unexpected = unexpected || on.parsed;
    lastDepth = depth;
    lastMemoMs = on.ms;
  }
  if (memoOffStopped)
    std::printf("(memo off: not measured beyond the first depth that took over %.0f ms)\n",
                kCutOffMs);
  if (unexpected) std::printf("error: a broken object parsed\n");
  std::printf("depth=%d memo_ms=%.3f\n", lastDepth, lastMemoMs);
  return unexpected ? 1 : 0;
}
