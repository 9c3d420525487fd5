#include "replace/FormScanner.h"

namespace mirel {

namespace {

bool IsKeyword(int code) {
  return code >= LexKwEnd && code <= LexKwUses;
}

}  // namespace

void TFormScanner::ContinueAt(size_t pos) {
  SetPos(pos);
  last_ = LexEnd;
  name_expected_ = false;
  class_expected_ = false;
}

int TFormScanner::Next(StringView& lexem, THeaderRole& role) {
  int code = GetNext(lexem);
  if (IsKeyword(code) && (name_expected_ || class_expected_ || last_ == LexEqual ||
                          last_ == LexDot || NameFollows(PrevPos() + lexem.size())))
    code = LexIdent;
  // Braces hold binary data in a form, a value like any other.
  if (code != LexBlank) last_ = code;

  role = THeaderRole::None;
  if (IsHeaderKeyword(code)) {
    name_expected_ = true;
  } else if (code == LexIdent) {
    if (name_expected_) {
      role = THeaderRole::ObjectName;
      name_expected_ = false;
      class_expected_ = true;
    } else if (class_expected_) {
      role = THeaderRole::ClassName;
      class_expected_ = false;
    }
  }
  return code;
}

bool TFormScanner::NameFollows(size_t pos) const {
  const StringView text = Text();
  while (pos < text.size() &&
         (text[pos] == u' ' || text[pos] == u'\t' || text[pos] == u'\r' || text[pos] == u'\n'))
    ++pos;
  return pos < text.size() && (text[pos] == u'=' || text[pos] == u'.');
}

}  // namespace mirel
