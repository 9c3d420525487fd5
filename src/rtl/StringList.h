// TStringList: an ordered list of texts, each carrying an integer, with the
// behaviour of the Delphi string list that the engine relies on:
//  - optionally sorted (kept sorted on insertion, found by binary search);
//  - case-insensitive by default (ASCII folding, see SysUtils.h);
//  - name=value lines: the name is the text before the first '=', looked up
//    without regard to case (or with it, when CaseSensitive), first line wins;
//  - Duplicates applies to sorted lists only, as in Delphi.
#pragma once

#include <cstddef>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

enum class TDuplicates { Ignore, Accept, Error };

class TStringList {
 public:
  TStringList() = default;

  /// Text and integer of one line.
  struct Item {
    String text;
    long long object = 0;
  };

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const String& operator[](int i) const { return items_.at(static_cast<size_t>(i)).text; }
  const String& Strings(int i) const { return (*this)[i]; }
  void SetString(int i, const String& s);
  long long Objects(int i) const { return items_.at(static_cast<size_t>(i)).object; }
  void SetObject(int i, long long v) { items_.at(static_cast<size_t>(i)).object = v; }

  /// Adds a line; in a sorted list at its sorted place. Returns its index, or
  /// the index of the existing equal line when a duplicate is ignored.
  /// Throws Exception for a duplicate under TDuplicates::Error.
  int Add(const String& s, long long object = 0);
  /// Inserts at a given index; not allowed on a sorted list (assertion).
  void Insert(int index, const String& s, long long object = 0);
  void Delete(int index);
  void Clear() { items_.clear(); }
  void Exchange(int a, int b);

  /// Index of the line equal to s (under the list's case rule), -1 if none.
  int IndexOf(StringView s) const;
  /// Binary search in a sorted list: true when found; index is where s is or
  /// would be inserted.
  bool Find(StringView s, int& index) const;

  /// Name and value of line i ("" name when the line holds no '=').
  String Names(int i) const;
  String ValueFromIndex(int i) const;
  /// Index of the first line whose name equals name, -1 if none.
  int IndexOfName(StringView name) const;
  /// Value of the first line named name, "" if none.
  String Values(StringView name) const;
  /// Sets the value of the first line named name; adds "name=value" when
  /// missing; an empty value deletes the line (Delphi's Values[] setter).
  void SetValue(StringView name, StringView value);

  bool Sorted() const { return sorted_; }
  /// Turning sorting on sorts the current lines.
  void SetSorted(bool sorted);
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool cs);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  void Sort();

  /// All lines, each followed by CR LF.
  String Text() const;
  /// Replaces the lines by those of text, split at CR LF, LF or CR.
  void SetText(StringView text);

  const std::vector<Item>& Items() const { return items_; }

 private:
  int Compare(StringView a, StringView b) const;

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  TDuplicates duplicates_ = TDuplicates::Ignore;
};

}  // namespace mirel
