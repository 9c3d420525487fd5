#include "rtl/LexemList.h"

#include <algorithm>

namespace mirel {

void TLexemList::Add(StringView text, int code) {
  items_.push_back({String(text), code});
  max_length_ = std::max(max_length_, text.size());
  sorted_ = items_.size() <= 1;
  if (!text.empty()) {
    const char16_t first = AsciiLower(text[0]);
    if (first < 128) {
      // One-character entries (the symbols) answer from a table; the first
      // entry added for a character keeps it, as in the sorted search.
      if (text.size() == 1 && (lengths_[first] & 2u) == 0) single_codes_[first] = code;
      lengths_[first] |= 1u << std::min<size_t>(text.size(), 31);
    } else {
      any_first_ = true;
    }
  }
}

void TLexemList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
  sorted_ = true;
}

bool TLexemList::Search(StringView text, int& code) const {
  if (!sorted_) {
    for (const Item& item : items_) {
      if (SameText(item.text, text)) {
        code = item.code;
        return true;
      }
    }
    return false;
  }
  const auto it = std::lower_bound(
      items_.begin(), items_.end(), text,
      [](const Item& item, StringView t) { return CompareText(item.text, t) < 0; });
  if (it == items_.end() || !SameText(it->text, text)) return false;
  code = it->code;
  return true;
}

int TLexemList::CodeOf(StringView text, int notFound) const {
  int code = notFound;
  return Find(text, code) ? code : notFound;
}

}  // namespace mirel
