// TLexemList: a table from lexem text to an integer code, used by the lexers
// for their symbol and keyword tables. Lookup ignores ASCII letter case, so a
// keyword stored as "USES" answers "uses" and "Uses".
//
// Fill it with Add, then Sort once; lookups on a sorted table are binary
// searches that allocate nothing. A table is typically built once and then
// shared read-only by many lexers (safe from several threads once sorted).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
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
  bool Find(StringView text, int& code) const {
    // A lexer asks about every identifier and symbol: most are settled here,
    // without a call, by their length and first character.
    if (text.size() > max_length_) return false;
    if (!text.empty()) {
      const char16_t first = AsciiLower(text[0]);
      if (first >= 128) return any_first_ && Search(text, code);
      if (((lengths_[first] >> std::min<size_t>(text.size(), 31)) & 1u) == 0) return false;
      if (text.size() == 1) {
        code = single_codes_[first];
        return true;
      }
    }
    return Search(text, code);
  }
  /// The code of text, or notFound.
  int CodeOf(StringView text, int notFound = 0) const;

  int Count() const { return static_cast<int>(items_.size()); }
  const String& Text(int i) const { return items_.at(static_cast<size_t>(i)).text; }
  int Code(int i) const { return items_.at(static_cast<size_t>(i)).code; }
  /// Length of the longest text; lexems longer than this need no lookup.
  size_t MaxLength() const { return max_length_; }

 private:
  struct Item {
    String text;
    int code;
  };
  bool Search(StringView text, int& code) const;

  std::vector<Item> items_;
  size_t max_length_ = 0;
  bool sorted_ = true;
  // By first character (folded to lower case): bit n is set when an entry of
  // length n starts with it, bit 31 for the lengths from 31 up.
  std::array<uint32_t, 128> lengths_{};
  bool any_first_ = false;               // an entry starts above ASCII
  std::array<int, 128> single_codes_{};  // the one-character entries' codes
};

}  // namespace mirel
