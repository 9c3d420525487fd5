// TPasParser: the lexer for Pascal units, project files and textual form
// files. It is the base lexer (rtl/Parser.h) configured for Pascal: the two
// shared tables below, brace comments, apostrophe strings, '$' and the hex
// letters as number characters. Every lexem is delivered, blanks and comments
// included, so writing back all lexems reproduces the text exactly.
//
// Codes returned by GetNext: LexEnd (0), LexIdent (-103), LexString (-106),
// LexComment (-108), the symbols 1..27 and the keywords 28..33 below; any
// other code (LexBlank, LexNumber, LexCharCode, LexSymbol for a symbol
// character outside the table such as | or ~, LexOther) marks text that the
// converters copy unchanged.
#pragma once

#include "rtl/LexemList.h"
#include "rtl/Parser.h"

namespace mirel {

// The symbol table, in table order.
inline constexpr int LexExclamation = 1;    // !
inline constexpr int LexDoubleQuote = 2;    // "
inline constexpr int LexHash = 3;           // #
inline constexpr int LexPercent = 4;        // %
inline constexpr int LexAmpersand = 5;      // &
inline constexpr int LexApostrophe = 6;     // '
inline constexpr int LexLeftParen = 7;      // (
inline constexpr int LexRightParen = 8;     // )
inline constexpr int LexStar = 9;           // *
inline constexpr int LexPlus = 10;          // +
inline constexpr int LexComma = 11;         // ,
inline constexpr int LexMinus = 12;         // -
inline constexpr int LexDot = 13;           // .
inline constexpr int LexSlash = 14;         // /
inline constexpr int LexColon = 15;         // :
inline constexpr int LexSemicolon = 16;     // ;
inline constexpr int LexLess = 17;          // <
inline constexpr int LexEqual = 18;         // =
inline constexpr int LexGreater = 19;       // >
inline constexpr int LexQuestion = 20;      // ?
inline constexpr int LexAt = 21;            // @
inline constexpr int LexLeftBracket = 22;   // [
inline constexpr int LexBackslash = 23;     // backslash
inline constexpr int LexRightBracket = 24;  // ]
inline constexpr int LexCaret = 25;         // ^
inline constexpr int LexUnderscore = 26;    // _ (never returned: it belongs to identifiers)
inline constexpr int LexGrave = 27;         // `

// The keyword table; recognised in any letter case, returned as written.
inline constexpr int LexKwEnd = 28;
inline constexpr int LexKwInherited = 29;
inline constexpr int LexKwInline = 30;
inline constexpr int LexKwItem = 31;
inline constexpr int LexKwObject = 32;
inline constexpr int LexKwUses = 33;

class TPasParser : public TParser {
 public:
  /// A lexer over its own copy of text; blanks and comments delivered, case
  /// kept, strings with their apostrophes (SetQuotedString(false) drops them).
  explicit TPasParser(String text);

  /// The two tables shared by every TPasParser: built on first use, sorted,
  /// never changed afterwards, alive until the program ends.
  static const TLexemList& SymbolTable();
  static const TLexemList& KeywordTable();

 protected:
  /// ASCII punctuation, the grave accent and { | } ~, but not '$' or '_'.
  bool IsSymbol(char16_t c) const override;
  /// '$', the digits and the hex letters: they continue a lexem that begins
  /// with a digit or '$' ($1F); a word beginning with a letter is always an
  /// identifier.
  bool IsNumber(char16_t c) const override;
  /// Only the apostrophe.
  bool IsStringQuote(char16_t c) const override;
};

}  // namespace mirel
