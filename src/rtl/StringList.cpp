#include "rtl/StringList.h"

#include <algorithm>

namespace mirel {

int TStringList::Compare(StringView a, StringView b) const {
  return case_sensitive_ ? CompareStr(a, b) : CompareText(a, b);
}

void TStringList::SetString(int i, const String& s) {
  MIREL_ASSERT(!sorted_);
  items_.at(static_cast<size_t>(i)).text = s;
}

bool TStringList::Find(StringView s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = Compare(items_[static_cast<size_t>(mid)].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        // Keep going left: with TDuplicates::Accept the first equal line answers.
      }
    }
  }
  index = lo;
  return found;
}

int TStringList::Add(const String& s, long long object) {
  if (!sorted_) {
    items_.push_back({s, object});
    return Count() - 1;
  }
  int index = 0;
  if (Find(s, index)) {
    if (duplicates_ == TDuplicates::Ignore) return index;
    if (duplicates_ == TDuplicates::Error)
      throw Exception(u"String list does not allow duplicates");
  }
  items_.insert(items_.begin() + index, Item{s, object});
  return index;
}

void TStringList::Insert(int index, const String& s, long long object) {
  MIREL_ASSERT(!sorted_);
  MIREL_ASSERT(index >= 0 && index <= Count());
  items_.insert(items_.begin() + index, Item{s, object});
}

void TStringList::Delete(int index) {
  MIREL_ASSERT(index >= 0 && index < Count());
  items_.erase(items_.begin() + index);
}

void TStringList::Exchange(int a, int b) {
  std::swap(items_.at(static_cast<size_t>(a)), items_.at(static_cast<size_t>(b)));
}

int TStringList::IndexOf(StringView s) const {
  if (sorted_) {
    int index = 0;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(items_[static_cast<size_t>(i)].text, s) == 0) return i;
  return -1;
}

String TStringList::Names(int i) const {
  const String& t = (*this)[i];
  const size_t eq = t.find(u'=');
  return eq == String::npos ? String() : t.substr(0, eq);
}

String TStringList::ValueFromIndex(int i) const {
  const String& t = (*this)[i];
  const size_t eq = t.find(u'=');
  return eq == String::npos ? String() : t.substr(eq + 1);
}

int TStringList::IndexOfName(StringView name) const {
  for (int i = 0; i < Count(); ++i) {
    const String& t = items_[static_cast<size_t>(i)].text;
    const size_t eq = t.find(u'=');
    if (eq != String::npos && Compare(StringView(t).substr(0, eq), name) == 0) return i;
  }
  return -1;
}

String TStringList::Values(StringView name) const {
  const int i = IndexOfName(name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStringList::SetValue(StringView name, StringView value) {
  const int i = IndexOfName(name);
  String line(name);
  line += u'=';
  line += value;
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(line);
  } else if (sorted_) {
    const long long obj = Objects(i);
    Delete(i);
    Add(line, obj);
  } else {
    items_[static_cast<size_t>(i)].text = line;
  }
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool cs) {
  case_sensitive_ = cs;
  if (sorted_) Sort();
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.text, b.text) < 0; });
}

String TStringList::Text() const {
  String r;
  for (const auto& it : items_) {
    r += it.text;
    r += u"\r\n";
  }
  return r;
}

void TStringList::SetText(StringView text) {
  items_.clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != u'\r' && text[j] != u'\n') ++j;
    Add(String(text.substr(i, j - i)));
    if (j < text.size() && text[j] == u'\r') ++j;
    if (j < text.size() && text[j] == u'\n') ++j;
    i = j;
  }
}

}  // namespace mirel
