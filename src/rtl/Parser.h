// TParser: the base lexer of the family. It splits a UTF-16 text into lexems
// (identifiers, keywords, strings, comments, numbers, symbols, blanks) and
// hands each back with an integer code. A language configures it through its
// symbol and keyword tables, its comment markers, the switches, and by
// overriding the character tests (IsSymbol, IsAlpha, IsNumber, ...). The
// character tests must answer by the character alone: the lexer remembers
// their answers for the characters below U+0100 from the first time it meets
// each after construction, SetText or ToBegin. IsInlineComment, which gets
// the position, is asked at every lexem that is not a block comment.
//
// Lossless: with blanks and comments delivered (the default), the
// concatenation of all lexems up to LexEnd is exactly the text, for any text:
// unterminated strings and comments, NUL and other control characters,
// characters above U+00FF, lone surrogates. A surrogate pair is never split
// between two lexems. No input makes the lexer fail or loop.
//
// Scanning, in the order the tests are made at the current character:
//  - CommentBegin .. CommentEnd (default "{" .. "}"), "(*" .. "*)", and a
//    line comment where IsInlineComment says one starts ("//" up to the line
//    break, which is not part of it): one LexComment each, delimiters
//    included; an unterminated block comment runs to the end of the text;
//  - a run of blanks (characters up to U+0020 and the Unicode spaces):
//    LexBlank;
//  - IsStringQuote: one LexString from that quote to the matching one; a
//    doubled quote inside stands for the quote itself and does not end the
//    literal; an unterminated literal ends before the line break;
//  - IsIdentQuote: a quoted identifier, scanned the same way, LexIdent;
//  - '#' followed by a digit, or "#$" followed by a hex digit: a character
//    code (#13, #$0D), LexCharCode;
//  - IsAlpha: an identifier (continued by IsAlpha and the digits 0-9); its
//    keyword code when the keyword table holds it (any letter case),
//    otherwise LexIdent;
//  - IsNumber: a number, continued while IsNumber holds; one that begins with
//    a decimal digit also takes a fraction (".5", not "..") and an exponent
//    ("E+10"); LexNumber;
//  - IsSymbol: the longest run of symbol characters that the symbol table
//    holds, with its code; otherwise the one character, LexSymbol;
//  - anything else: one character (or surrogate pair), LexOther.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>

#include "rtl/Encoding.h"
#include "rtl/LexemList.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// End of text; comes with an empty lexem.
inline constexpr int LexEnd = 0;
inline constexpr int LexBlank = -101;
/// A symbol character without an entry in the symbol table.
inline constexpr int LexSymbol = -102;
inline constexpr int LexIdent = -103;
inline constexpr int LexNumber = -104;
/// A character code such as #13 or #$0D.
inline constexpr int LexCharCode = -105;
inline constexpr int LexString = -106;
/// A character that starts no other lexem.
inline constexpr int LexOther = -107;
inline constexpr int LexComment = -108;

class TParser {
 public:
  /// A lexer over its own copy of text, positioned at its start.
  explicit TParser(String text);
  /// A lexer over the rest of stream, decoded with encoding (no byte-order
  /// mark is skipped). Throws EFOpenError when the stream cannot be read.
  TParser(std::istream& stream, const TEncoding& encoding);
  virtual ~TParser() = default;
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  /// Scans the next lexem and returns its code; at the end LexEnd and an empty
  /// lexem, as often as asked. The view stays valid until the next call of
  /// GetNext, SetText or ToBegin, or the parser's destruction.
  int GetNext(StringView& lexem);
  /// The same, with the lexem copied.
  int GetNext(String& lexem);
  /// 0-based offset in the current text of the first character of the lexem
  /// that GetNext returned last (the text's length after LexEnd; 0 before the
  /// first GetNext).
  size_t PrevPos() const { return prev_pos_; }
  /// Replaces the text; the next GetNext returns its first lexem.
  void SetText(String text);
  /// Starts the current text again from its beginning.
  void ToBegin() { InitParser(); }
  StringView Text() const { return text_; }

  /// Switches. Defaults: blanks and comments are delivered, lexems keep their
  /// case, string literals come with their quotes.
  bool OmitBlanks() const { return omit_blanks_; }
  void SetOmitBlanks(bool v) { omit_blanks_ = v; }
  bool OmitComments() const { return omit_comments_; }
  void SetOmitComments(bool v) { omit_comments_ = v; }
  /// Upper-cases (ASCII) every lexem except strings, comments and blanks.
  bool Uppered() const { return uppered_; }
  void SetUppered(bool v) { uppered_ = v; }
  /// When off, a string lexem is what stands between its quotes (a doubled
  /// quote inside stays doubled); an unterminated one loses only its opening
  /// quote.
  bool QuotedString() const { return quoted_string_; }
  void SetQuotedString(bool v) { quoted_string_ = v; }

 protected:
  /// Resets the scan to the start of the current text. Called by ToBegin and
  /// SetText; an override must call the inherited one.
  virtual void InitParser();
  /// ASCII punctuation except '_'.
  virtual bool IsSymbol(char16_t c) const;
  /// ASCII letters, '_', and the characters above U+007F that are neither
  /// controls, Latin-1 punctuation nor spaces (surrogates included, so a pair
  /// and a raw byte stay inside a word).
  virtual bool IsAlpha(char16_t c) const;
  /// The decimal digits.
  virtual bool IsNumber(char16_t c) const;
  /// The apostrophe and the double quote.
  virtual bool IsStringQuote(char16_t c) const;
  /// Scans a literal opened by open whose closing character is its partner
  /// ('[' -> ']', '(' -> ')', '<' -> '>', '{' -> '}'; others close
  /// themselves), through ToRightQuote.
  virtual bool ToRightQuoteP(char16_t open);
  /// With the position just past an opening quote, moves it past the
  /// matching closing quote (a doubled one does not close) and returns true;
  /// when there is none on the line, moves to the line break (or the end) and
  /// returns false.
  virtual bool ToRightQuote(char16_t quote);
  /// No identifier quotes.
  virtual bool IsIdentQuote(char16_t c) const;
  /// Whether a line comment starts at pos, where c stands: "//".
  virtual bool IsInlineComment(char16_t c, size_t pos) const;

  /// Tables consulted for symbols and keywords; not owned, must outlive the
  /// parser; nullptr means none. Lookups need no sorted table but are faster
  /// on one.
  void SetSymbolLexems(const TLexemList* table) { symbols_ = table; }
  void SetKeywordLexems(const TLexemList* table) { keywords_ = table; }
  /// The block comment markers; an empty begin marker turns them off.
  void SetCommentMarkers(StringView begin, StringView end);

  /// The scan position (0-based), for the character tests and quote scans.
  size_t Pos() const { return pos_; }
  void SetPos(size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }

 private:
  // What the character tests say of a character, in one byte: the kind of
  // lexem it starts (when no comment starts there) in the low bits, and
  // whether it continues an identifier, a number or a symbol run. The scan
  // loops load it from a table instead of making a virtual call per
  // character.
  enum : uint8_t {
    kBlankStart = 1,
    kStringStart,
    kIdentQuoteStart,
    kHashStart,  // '#' when no quote: a character code if a digit follows
    kWordStart,
    kNumberStart,
    kSymbolStart,
    kOtherStart,
    kKindMask = 15,  // 0: the table entry is not filled in yet
    kWord = 16,      // IsAlpha or a decimal digit
    kNumber = 32,
    kSymbol = 64,
    kMarker = 128,  // the first character of a block comment marker
  };
  static constexpr size_t kClassTableSize = 256;
  uint8_t ClassOf(char16_t c);
  uint8_t Classify(char16_t c) const;
  uint8_t HighStartKind(char16_t c) const;
  bool IsWordChar(char16_t c);
  bool IsNumberChar(char16_t c);
  bool IsSymbolChar(char16_t c);

  int Scan(size_t& start);
  bool StartsWithAt(StringView marker, size_t pos) const;
  size_t SkipBlockComment(size_t pos, StringView begin, StringView end) const;
  void ScanNumber();
  int ScanSymbol();

  String text_;
  size_t pos_ = 0;
  size_t prev_pos_ = 0;
  String buffer_;  // the upper-cased lexem when Uppered is on
  const TLexemList* symbols_ = nullptr;
  const TLexemList* keywords_ = nullptr;
  String comment_begin_ = u"{";
  String comment_end_ = u"}";
  bool omit_blanks_ = false;
  bool omit_comments_ = false;
  bool uppered_ = false;
  bool quoted_string_ = true;
  bool last_string_closed_ = false;
  // The classes of the characters below kClassTableSize, filled in as the
  // scan meets them; 0 until then. Cleared by InitParser and by
  // SetCommentMarkers (the begin marker's first character has a bit).
  std::array<uint8_t, kClassTableSize> classes_{};
};

}  // namespace mirel
