// TLexemList: a table from lexem text to an integer code, used by the lexers
// for their symbol and keyword tables. Lookup ignores ASCII letter case, so a
// keyword stored as "USES" answers "uses" and "Uses".
//
// Fill it with Add, then Sort once; lookups on a sorted table are binary
// searches that allocate nothing. A table is typically built once and then
// shared read-only by many lexers (safe from several threads once sorted).
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

class TLexemList {
 public:
  /// Appends an entry. The table is unsorted afterwards until Sort.
  void Add(StringView text, int code);
  /// Sorts by text without regard to case. Of entries with equal texts the
  /// one added first answers lookups.
  void Sort();
  bool Sorted() const { return sorted_; }

  /// Finds the code of text; false when the table has no such entry. Works
  /// on an unsorted table too (by a linear scan).
  bool Find(StringView text, int& code) const;
  /// The code of text, or notFound.
  int CodeOf(StringView text, int notFound = 0) const;

  int Count() const { return static_cast<int>(items_.size()); }
  const String& Text(int i) const { return items_.at(static_cast<size_t>(i)).text; }
  int Code(int i) const { return items_.at(static_cast<size_t>(i)).code; }
  /// Length of the longest text; lexems longer than this need no lookup.
  size_t MaxLength() const { return maxLength_; }

 private:
  struct Item {
    String text;
    int code;
  };
  std::vector<Item> items_;
  size_t maxLength_ = 0;
  bool sorted_ = true;
  std::bitset<128> firsts_;   // first characters of the entries, folded to lower case
  bool anyFirst_ = false;     // an entry starts above ASCII
  std::bitset<128> singles_;  // one-character entries, folded to lower case
  std::array<int, 128> singleCodes_{};
};

}  // namespace mirel
