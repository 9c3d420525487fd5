#include "workbench/PascalHighlighter.h"

#include <QSet>

namespace mirel {

namespace {

// Block states: which comment, if any, is still open at the end of a line.
enum : int { kNone = -1, kBrace = 1, kParenStar = 2 };

bool IsIdentStart(QChar c) {
  return c.isLetter() || c == u'_';
}

bool IsIdentPart(QChar c) {
  return c.isLetterOrNumber() || c == u'_';
}

const QSet<QString>& Keywords() {
  static const QSet<QString> kWords = [] {
    QSet<QString> s;
    for (const char* w : {"and",
                          "array",
                          "as",
                          "asm",
                          "begin",
                          "case",
                          "class",
                          "const",
                          "constructor",
                          "destructor",
                          "dispinterface",
                          "div",
                          "do",
                          "downto",
                          "else",
                          "end",
                          "except",
                          "exports",
                          "file",
                          "finalization",
                          "finally",
                          "for",
                          "function",
                          "goto",
                          "if",
                          "implementation",
                          "in",
                          "inherited",
                          "initialization",
                          "inline",
                          "interface",
                          "is",
                          "label",
                          "library",
                          "mod",
                          "nil",
                          "not",
                          "object",
                          "of",
                          "or",
                          "out",
                          "packed",
                          "procedure",
                          "program",
                          "property",
                          "raise",
                          "record",
                          "repeat",
                          "resourcestring",
                          "set",
                          "shl",
                          "shr",
                          "string",
                          "then",
                          "threadvar",
                          "to",
                          "try",
                          "type",
                          "unit",
                          "until",
                          "uses",
                          "var",
                          "while",
                          "with",
                          "xor",
                          "private",
                          "protected",
                          "public",
                          "published",
                          "override",
                          "virtual",
                          "true",
                          "false"})
      s.insert(QString::fromLatin1(w));
    return s;
  }();
  return kWords;
}

}  // namespace

TPascalHighlighter::TPascalHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  keyword_.setForeground(QColor(0x00, 0x00, 0x99));
  keyword_.setFontWeight(QFont::Bold);
  comment_.setForeground(QColor(0x00, 0x70, 0x00));
  comment_.setFontItalic(true);
  string_.setForeground(QColor(0xa0, 0x20, 0x20));
  directive_.setForeground(QColor(0x80, 0x40, 0x00));
  number_.setForeground(QColor(0x00, 0x60, 0x90));
}

void TPascalHighlighter::highlightBlock(const QString& text) {
  const int n = static_cast<int>(text.size());
  int i = 0;
  int open = previousBlockState();
  setCurrentBlockState(kNone);
  auto closeComment = [&](int from, int kind) {
    const QString closer = kind == kBrace ? QStringLiteral("}") : QStringLiteral("*)");
    const int end = static_cast<int>(text.indexOf(closer, from));
    if (end < 0) {
      setFormat(from, n - from, comment_);
      setCurrentBlockState(kind);
      return n;
    }
    const int stop = end + static_cast<int>(closer.size());
    setFormat(from, stop - from, comment_);
    return stop;
  };
  if (open == kBrace || open == kParenStar) i = closeComment(0, open);
  while (i < n) {
    const QChar c = text[i];
    if (c == u'{') {
      const int start = i;
      const bool directive = i + 1 < n && text[i + 1] == u'$';
      i = closeComment(i + 1, kBrace);
      if (directive)
        setFormat(start, i - start, directive_);
      else
        setFormat(start, 1, comment_);
    } else if (c == u'(' && i + 1 < n && text[i + 1] == u'*') {
      setFormat(i, 2, comment_);
      i = closeComment(i + 2, kParenStar);
    } else if (c == u'/' && i + 1 < n && text[i + 1] == u'/') {
      setFormat(i, n - i, comment_);
      i = n;
    } else if (c == u'\'') {
      // '' inside a string is a quote, which the loop treats as a string
      // that ends and another that begins: same colour either way.
      int end = static_cast<int>(text.indexOf(u'\'', i + 1));
      end = end < 0 ? n : end + 1;
      setFormat(i, end - i, string_);
      i = end;
    } else if (IsIdentStart(c)) {
      int end = i + 1;
      while (end < n && IsIdentPart(text[end])) ++end;
      if (Keywords().contains(text.mid(i, end - i).toLower())) setFormat(i, end - i, keyword_);
      i = end;
    } else if (c.isDigit() || (c == u'$' && i + 1 < n && text[i + 1].isLetterOrNumber())) {
      int end = i + 1;
      while (end < n && (text[end].isLetterOrNumber() || text[end] == u'.')) ++end;
      setFormat(i, end - i, number_);
      i = end;
    } else {
      ++i;
    }
  }
}

}  // namespace mirel
