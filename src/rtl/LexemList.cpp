#include "rtl/LexemList.h"

#include <algorithm>

namespace mirel {

void TLexemList::Add(StringView text, int code) {
  items_.push_back({String(text), code});
  maxLength_ = std::max(maxLength_, text.size());
  sorted_ = items_.size() <= 1;
  if (!text.empty()) {
    const char16_t first = AsciiLower(text[0]);
    if (first < 128)
      firsts_.set(first);
    else
      anyFirst_ = true;
    // One-character entries (the symbols) answer from a table; the first
    // entry added for a character keeps it, as in the sorted search.
    if (text.size() == 1 && first < 128 && !singles_.test(first)) {
      singles_.set(first);
      singleCodes_[first] = code;
    }
  }
}

void TLexemList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
  sorted_ = true;
}

bool TLexemList::Find(StringView text, int& code) const {
  if (text.size() > maxLength_) return false;
  // Most words a lexer asks about start with a letter no entry starts with.
  if (!text.empty()) {
    const char16_t first = AsciiLower(text[0]);
    if (first < 128 ? !firsts_.test(first) : !anyFirst_) return false;
    if (text.size() == 1 && first < 128) {
      if (!singles_.test(first)) return false;
      code = singleCodes_[first];
      return true;
    }
  }
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
