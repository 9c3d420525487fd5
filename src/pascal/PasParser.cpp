#include "pascal/PasParser.h"

#include <utility>

namespace mirel {

TPasParser::TPasParser(String text) : TParser(std::move(text)) {
  SetSymbolLexems(&SymbolTable());
  SetKeywordLexems(&KeywordTable());
  SetCommentMarkers(u"{", u"}");
  SetOmitBlanks(false);
  SetOmitComments(false);
  SetUppered(false);
  SetQuotedString(true);
}

const TLexemList& TPasParser::SymbolTable() {
  static const TLexemList table = [] {
    TLexemList t;
    const StringView symbols = u"!\"#%&'()*+,-./:;<=>?@[\\]^_`";
    for (size_t i = 0; i < symbols.size(); ++i) {
      t.Add(symbols.substr(i, 1), static_cast<int>(i) + LexExclamation);
    }
    t.Sort();
    return t;
  }();
  return table;
}

const TLexemList& TPasParser::KeywordTable() {
  static const TLexemList table = [] {
    TLexemList t;
    t.Add(u"END", LexKwEnd);
    t.Add(u"INHERITED", LexKwInherited);
    t.Add(u"INLINE", LexKwInline);
    t.Add(u"ITEM", LexKwItem);
    t.Add(u"OBJECT", LexKwObject);
    t.Add(u"USES", LexKwUses);
    t.Sort();
    return t;
  }();
  return table;
}

bool TPasParser::IsSymbol(char16_t c) const {
  return c != u'$' && ((c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) ||
                       (c >= 0x5B && c <= 0x5E) || c == 0x60 || (c >= 0x7B && c <= 0x7E));
}

bool TPasParser::IsNumber(char16_t c) const {
  return c == u'$' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') ||
         (c >= u'a' && c <= u'f');
}

bool TPasParser::IsStringQuote(char16_t c) const {
  return c == u'\'';
}

}  // namespace mirel
