// A deterministic generator of form object trees for the binary form tests:
// every value type and object flag, nested objects, lists, collections.
//
// Trees come in normal form (the binary -> text -> binary round trip gives
// the same bytes), or restricted to what Free Pascal's text-to-binary
// conversion writes the same way as ours (for the oracle comparison).
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "rtl/FormStream.h"

namespace mirel::testing {

enum class TCorpusProfile {
  cpNormal,     // every value type of the normal form; names with code-page bytes
  cpFreePascal  // only what Free Pascal writes like us; ASCII names, no keywords
};

class TBinFormCorpus {
 public:
  explicit TBinFormCorpus(uint64_t seed, TCorpusProfile profile = TCorpusProfile::cpNormal)
      : rng_(seed), profile_(profile) {}

  /// The next random root object (a form with nested components).
  TFormObjectNode NextForm();

 private:
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(0, 99) < percent; }

  std::string Identifier(bool dotted);
  TFormObjectNode Object(int depth);
  TFormProperty Property(int depth);
  TFormValue Value(int depth, bool inList);
  int64_t Integer();

  std::mt19937_64 rng_;
  TCorpusProfile profile_;
};

}  // namespace mirel::testing
