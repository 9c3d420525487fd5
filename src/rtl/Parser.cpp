#include "rtl/Parser.h"

#include <iterator>
#include <string>
#include <utility>

namespace mirel {

namespace {

constexpr bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
constexpr bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}
constexpr bool IsLineBreak(char16_t c) {
  return c == u'\r' || c == u'\n';
}
constexpr bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

constexpr bool IsBlank(char16_t c) {
  if (c <= u' ') return true;
  if (c < 0x00A0) return false;  // ends most runs of blanks in one test more
  return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

}  // namespace

TParser::TParser(String text) : text_(std::move(text)) {
  TParser::InitParser();
}

TParser::TParser(std::istream& stream, const TEncoding& encoding) {
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) throw EFOpenError(u"Cannot read the text to scan.");
  text_ = encoding.GetString(bytes);
  TParser::InitParser();
}

void TParser::InitParser() {
  pos_ = 0;
  prev_pos_ = 0;
  classes_.fill(0);
}

void TParser::SetText(String text) {
  text_ = std::move(text);
  InitParser();
}

void TParser::SetCommentMarkers(StringView begin, StringView end) {
  comment_begin_ = String(begin);
  comment_end_ = String(end);
  classes_.fill(0);  // they mark the first character of the begin marker
}

bool TParser::IsSymbol(char16_t c) const {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x5E) ||
         c == 0x60 || (c >= 0x7B && c <= 0x7E);
}

bool TParser::IsAlpha(char16_t c) const {
  if (c < 0x80) return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
  if (c < 0xC0) return c == 0xAA || c == 0xB5 || c == 0xBA;
  return c != 0xD7 && c != 0xF7 && !IsBlank(c);
}

bool TParser::IsNumber(char16_t c) const {
  return IsDigit(c);
}

bool TParser::IsStringQuote(char16_t c) const {
  return c == u'\'' || c == u'"';
}

bool TParser::IsIdentQuote(char16_t) const {
  return false;
}

bool TParser::IsInlineComment(char16_t c, size_t pos) const {
  return c == u'/' && pos + 1 < text_.size() && text_[pos + 1] == u'/';
}

bool TParser::ToRightQuoteP(char16_t open) {
  switch (open) {
    case u'[':
      return ToRightQuote(u']');
    case u'(':
      return ToRightQuote(u')');
    case u'<':
      return ToRightQuote(u'>');
    case u'{':
      return ToRightQuote(u'}');
    default:
      return ToRightQuote(open);
  }
}

bool TParser::ToRightQuote(char16_t quote) {
  const size_t n = text_.size();
  while (pos_ < n) {
    const char16_t c = text_[pos_];
    if (IsLineBreak(c)) return false;
    ++pos_;
    if (c == quote) {
      if (pos_ < n && text_[pos_] == quote) {
        ++pos_;  // doubled: the quote itself
        continue;
      }
      return true;
    }
  }
  return false;
}

uint8_t TParser::Classify(char16_t c) const {
  uint8_t k = 0;
  if (IsBlank(c))
    k = kBlankStart;
  else if (IsStringQuote(c))
    k = kStringStart;
  else if (IsIdentQuote(c))
    k = kIdentQuoteStart;
  else if (c == u'#')
    k = kHashStart;
  else if (IsAlpha(c))
    k = kWordStart;
  else if (IsNumber(c))
    k = kNumberStart;
  else if (IsSymbol(c))
    k = kSymbolStart;
  else
    k = kOtherStart;
  if (IsAlpha(c) || IsDigit(c)) k |= kWord;
  if (IsNumber(c)) k |= kNumber;
  if (IsSymbol(c)) k |= kSymbol;
  if (c == u'(' || (!comment_begin_.empty() && c == comment_begin_[0])) k |= kMarker;
  return k;
}

inline uint8_t TParser::ClassOf(char16_t c) {
  const uint8_t k = classes_[c];
  return k != 0 ? k : (classes_[c] = Classify(c));
}

// Above the table only the tests up to the first that holds are asked, in
// the order of the contract.
uint8_t TParser::HighStartKind(char16_t c) const {
  if (IsBlank(c)) return kBlankStart;
  if (IsStringQuote(c)) return kStringStart;
  if (IsIdentQuote(c)) return kIdentQuoteStart;
  if (IsAlpha(c)) return kWordStart;
  if (IsNumber(c)) return kNumberStart;
  if (IsSymbol(c)) return kSymbolStart;
  return kOtherStart;
}

inline bool TParser::IsWordChar(char16_t c) {
  return c < kClassTableSize ? (ClassOf(c) & kWord) != 0 : IsAlpha(c);
}

inline bool TParser::IsNumberChar(char16_t c) {
  return c < kClassTableSize ? (ClassOf(c) & kNumber) != 0 : IsNumber(c);
}

inline bool TParser::IsSymbolChar(char16_t c) {
  return c < kClassTableSize ? (ClassOf(c) & kSymbol) != 0 : IsSymbol(c);
}

inline bool TParser::StartsWithAt(StringView marker, size_t pos) const {
  // Asked for every lexem: the first character settles nearly all.
  return !marker.empty() && pos < text_.size() && text_[pos] == marker[0] &&
         StringView(text_).substr(pos, marker.size()) == marker;
}

size_t TParser::SkipBlockComment(size_t pos, StringView begin, StringView end) const {
  if (end.empty()) return text_.size();
  const size_t close = StringView(text_).find(end, pos + begin.size());
  return close == StringView::npos ? text_.size() : close + end.size();
}

void TParser::ScanNumber() {
  const size_t n = text_.size();
  const size_t start = pos_;
  while (pos_ < n && IsNumberChar(text_[pos_])) ++pos_;
  if (!IsDigit(text_[start])) return;
  // Decimal numbers may go on with a fraction and an exponent; ".." after
  // digits is a range, not a fraction.
  if (pos_ + 1 < n && text_[pos_] == u'.' && IsDigit(text_[pos_ + 1])) {
    ++pos_;
    while (pos_ < n && IsNumberChar(text_[pos_])) ++pos_;
  }
  const auto signedDigitsAt = [&](size_t p) {
    if (p < n && (text_[p] == u'+' || text_[p] == u'-')) ++p;
    return p < n && IsDigit(text_[p]);
  };
  const auto isE = [](char16_t c) { return c == u'e' || c == u'E'; };
  size_t exponent = StringView::npos;
  if (pos_ < n && isE(text_[pos_]) && signedDigitsAt(pos_ + 1)) {
    exponent = pos_ + 1;  // the 'e' is not a number character here
  } else if (pos_ - start >= 2 && isE(text_[pos_ - 1]) && pos_ < n &&
             (text_[pos_] == u'+' || text_[pos_] == u'-') && signedDigitsAt(pos_)) {
    exponent = pos_;  // the 'e' was taken as a (hex) number character
  }
  if (exponent != StringView::npos) {
    pos_ = exponent;
    if (text_[pos_] == u'+' || text_[pos_] == u'-') ++pos_;
    while (pos_ < n && (IsDigit(text_[pos_]) || IsNumberChar(text_[pos_]))) ++pos_;
  }
}

inline int TParser::ScanSymbol() {
  const size_t n = text_.size();
  if (symbols_ != nullptr) {
    size_t run = 1;
    while (run < symbols_->MaxLength() && pos_ + run < n && IsSymbolChar(text_[pos_ + run])) ++run;
    for (; run >= 1; --run) {
      int code = 0;
      if (symbols_->Find(StringView(text_).substr(pos_, run), code)) {
        pos_ += run;
        return code;
      }
    }
  }
  ++pos_;
  return LexSymbol;
}

// Forced into GetNext, its only caller: the call alone cost a tenth of the
// time per lexem.
[[gnu::always_inline]] inline int TParser::Scan(size_t& start) {
  const size_t n = text_.size();
  start = pos_;
  if (pos_ >= n) return LexEnd;
  const char16_t* const s = text_.data();
  const char16_t c = s[pos_];
  const bool inTable = c < kClassTableSize;
  const uint8_t k = inTable ? ClassOf(c) : uint8_t{kMarker};

  if (k & kMarker) {
    if (StartsWithAt(comment_begin_, pos_)) {
      pos_ = SkipBlockComment(pos_, comment_begin_, comment_end_);
      return LexComment;
    }
    if (c == u'(' && pos_ + 1 < n && s[pos_ + 1] == u'*') {
      pos_ = SkipBlockComment(pos_, u"(*", u"*)");
      return LexComment;
    }
  }
  if (IsInlineComment(c, pos_)) {
    while (pos_ < n && !IsLineBreak(s[pos_])) ++pos_;
    return LexComment;
  }
  unsigned kind = inTable ? k & kKindMask : HighStartKind(c);
  if (kind == kHashStart) {
    if (pos_ + 1 < n && (IsDigit(s[pos_ + 1]) ||
                         (s[pos_ + 1] == u'$' && pos_ + 2 < n && IsHexDigit(s[pos_ + 2])))) {
      size_t p = pos_ + 2;
      while (p < n && IsHexDigit(s[p])) ++p;
      pos_ = p;
      return LexCharCode;
    }
    // Not a digit, so kWord says IsAlpha here.
    kind = (k & kWord)     ? kWordStart
           : (k & kNumber) ? kNumberStart
           : (k & kSymbol) ? kSymbolStart
                           : kOtherStart;
  }
  switch (kind) {
    case kBlankStart: {
      size_t p = pos_ + 1;
      while (p < n && IsBlank(s[p])) ++p;
      pos_ = p;
      return LexBlank;
    }
    case kStringStart:
      ++pos_;
      last_string_closed_ = ToRightQuote(c);
      return LexString;
    case kIdentQuoteStart:
      ++pos_;
      ToRightQuoteP(c);
      return LexIdent;
    case kWordStart: {
      size_t p = pos_ + 1;
      while (p < n && IsWordChar(s[p])) ++p;
      // A subclass may exclude surrogates from words; a pair still stays whole.
      if (p < n && IsLowSurrogate(s[p]) && IsHighSurrogate(s[p - 1])) ++p;
      pos_ = p;
      int code = 0;
      if (keywords_ != nullptr && keywords_->Find(StringView(s + start, p - start), code))
        return code;
      return LexIdent;
    }
    case kNumberStart:
      ScanNumber();
      return LexNumber;
    case kSymbolStart:
      return ScanSymbol();
    default:
      ++pos_;
      if (IsHighSurrogate(c) && pos_ < n && IsLowSurrogate(s[pos_])) ++pos_;
      return LexOther;
  }
}

int TParser::GetNext(StringView& lexem) {
  for (;;) {
    size_t start = 0;
    const int code = Scan(start);
    if ((code == LexBlank && omit_blanks_) || (code == LexComment && omit_comments_)) continue;
    prev_pos_ = start;
    StringView text = StringView(text_).substr(start, pos_ - start);
    if (code == LexString && !quoted_string_) {
      text.remove_prefix(1);
      if (last_string_closed_) text.remove_suffix(1);
    } else if (uppered_ && code != LexString && code != LexComment && code != LexBlank) {
      buffer_.assign(text);
      for (auto& ch : buffer_) ch = AsciiUpper(ch);
      text = buffer_;
    }
    lexem = text;
    return code;
  }
}

int TParser::GetNext(String& lexem) {
  StringView view;
  const int code = GetNext(view);
  lexem.assign(view);
  return code;
}

}  // namespace mirel
