#include "host/DprReader.h"

#include <vector>

#include "files/Paths.h"
#include "host/HostFiles.h"
#include "rtl/TextFile.h"

namespace mirel {

namespace {

enum class Tok { End, Ident, Str, Symbol, Comment, DirIf, DirElse, DirEnd, DirOther };

struct Token {
  Tok kind = Tok::End;
  String text;  // identifier, string value, symbol, or comment body
  int line = 1;
  bool brace = false;  // a { } comment
};

bool IsIdentStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}
bool IsIdentChar(char16_t c) {
  return IsIdentStart(c) || (c >= u'0' && c <= u'9');
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Pascal tokens of a project source. Dotted names ("Vcl.Forms") come as one
// identifier; "#65'x'" style string concatenations as one string.
class Scanner {
 public:
  Scanner(StringView text, const String& fileName) : s_(text), file_(fileName) {}

  Token Next() {
    SkipBlanks();
    Token t;
    t.line = line_;
    if (pos_ >= s_.size()) return t;
    const char16_t c = s_[pos_];
    if (c == u'{') {
      t.brace = true;
      return Comment(t, 1, u"}");
    }
    if (c == u'(' && Peek(1) == u'*') return Comment(t, 2, u"*)");
    if (c == u'/' && Peek(1) == u'/') {
      while (pos_ < s_.size() && s_[pos_] != u'\n' && s_[pos_] != u'\r') ++pos_;
      t.kind = Tok::Comment;
      return t;
    }
    if (c == u'\'' || (c == u'#' && (IsDigit(Peek(1)) || Peek(1) == u'$'))) return StringLit(t);
    if (IsIdentStart(c) || (c == u'&' && IsIdentStart(Peek(1)))) return Ident(t);
    if (IsDigit(c)) {
      while (pos_ < s_.size() && (IsIdentChar(s_[pos_]) || s_[pos_] == u'.')) ++pos_;
      t.kind = Tok::Symbol;  // a number; never valid where the reader looks
      t.text = u"number";
      return t;
    }
    t.kind = Tok::Symbol;
    t.text = String(1, c);
    ++pos_;
    return t;
  }

  [[noreturn]] void Fail(int line, const String& what) const {
    throw EProjectFileError(file_, line, what);
  }

 private:
  char16_t Peek(size_t ahead) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : u'\0'; }

  void NewLineAt(size_t& i) {
    // CR LF is one line break; a lone CR or LF is one too.
    if (s_[i] == u'\r' && i + 1 < s_.size() && s_[i + 1] == u'\n') ++i;
    ++line_;
  }

  void SkipBlanks() {
    while (pos_ < s_.size() && s_[pos_] <= u' ') {
      if (s_[pos_] == u'\r' || s_[pos_] == u'\n') NewLineAt(pos_);
      ++pos_;
    }
  }

  Token Comment(Token& t, size_t openLen, StringView close) {
    const size_t bodyStart = pos_ + openLen;
    size_t i = bodyStart;
    while (i < s_.size() && s_.substr(i, close.size()) != close) {
      if (s_[i] == u'\r' || s_[i] == u'\n') NewLineAt(i);
      ++i;
    }
    if (i >= s_.size()) Fail(t.line, u"unterminated comment");
    t.text = String(s_.substr(bodyStart, i - bodyStart));
    pos_ = i + close.size();
    t.kind = Tok::Comment;
    if (!t.text.empty() && t.text[0] == u'$') {
      size_t e = 1;
      while (e < t.text.size() && IsIdentChar(t.text[e])) ++e;
      const String name = UpperCase(StringView(t.text).substr(1, e - 1));
      if (name == u"IFDEF" || name == u"IFNDEF" || name == u"IF" || name == u"IFOPT")
        t.kind = Tok::DirIf;
      else if (name == u"ELSE" || name == u"ELSEIF")
        t.kind = Tok::DirElse;
      else if (name == u"ENDIF" || name == u"IFEND")
        t.kind = Tok::DirEnd;
      else
        t.kind = Tok::DirOther;
    }
    return t;
  }

  Token StringLit(Token& t) {
    t.kind = Tok::Str;
    while (pos_ < s_.size()) {
      if (s_[pos_] == u'\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= s_.size() || s_[pos_] == u'\r' || s_[pos_] == u'\n')
            Fail(t.line, u"unterminated string");
          if (s_[pos_] == u'\'') {
            if (Peek(1) != u'\'') break;
            ++pos_;
          }
          t.text += s_[pos_++];
        }
        ++pos_;  // closing quote
      } else if (s_[pos_] == u'#') {
        ++pos_;
        unsigned long code = 0;
        bool hex = pos_ < s_.size() && s_[pos_] == u'$';
        if (hex) ++pos_;
        const size_t digits = pos_;
        while (pos_ < s_.size() && (hex ? IsHexDigit(s_[pos_]) : IsDigit(s_[pos_]))) {
          const char16_t d = s_[pos_++];
          const unsigned v = IsDigit(d) ? d - u'0' : (AsciiLower(d) - u'a' + 10);
          code = code * (hex ? 16 : 10) + v;
          if (code > 0xFFFF) Fail(t.line, u"character code out of range in a string");
        }
        if (pos_ == digits) Fail(t.line, u"character code expected after '#'");
        t.text += static_cast<char16_t>(code);
      } else {
        break;
      }
    }
    return t;
  }

  Token Ident(Token& t) {
    t.kind = Tok::Ident;
    if (s_[pos_] == u'&') ++pos_;  // &Name escapes a reserved word
    for (;;) {
      while (pos_ < s_.size() && IsIdentChar(s_[pos_])) t.text += s_[pos_++];
      if (Peek(0) == u'.' && IsIdentStart(Peek(1))) {
        t.text += u'.';
        ++pos_;
        continue;
      }
      return t;
    }
  }

  StringView s_;
  const String& file_;
  size_t pos_ = 0;
  int line_ = 1;
};

String Quoted(const Token& t) {
  switch (t.kind) {
    case Tok::End:
      return u"the end of the file";
    case Tok::Str:
      return u"a string";
    default:
      return u"'" + t.text + u"'";
  }
}

class DprParser {
 public:
  DprParser(StringView text, const String& fileName) : sc_(text, fileName) {}

  TProjectFile Parse() {
    Token t = Significant();
    if (t.kind != Tok::Ident || !(SameText(t.text, u"program") || SameText(t.text, u"library")))
      sc_.Fail(t.line,
               u"expected 'program' or 'library' at the start of the project, found " + Quoted(t));
    t = Significant();
    if (t.kind != Tok::Ident) sc_.Fail(t.line, u"expected the project name, found " + Quoted(t));
    t = Significant();
    if (t.kind == Tok::Symbol && t.text == u"(") {  // program Name(Input, Output);
      const int open = t.line;
      do {
        t = Significant();
        if (t.kind == Tok::End) sc_.Fail(open, u"unterminated parameter list of the program");
      } while (!(t.kind == Tok::Symbol && t.text == u")"));
      t = Significant();
    }
    if (!(t.kind == Tok::Symbol && t.text == u";"))
      sc_.Fail(t.line, u"expected ';' after the project name, found " + Quoted(t));

    // Every uses clause before the main block counts: a project may hold one
    // per branch of a conditional directive.
    for (;;) {
      t = Significant();
      if (t.kind == Tok::End || (t.kind == Tok::Ident && SameText(t.text, u"begin"))) break;
      if (t.kind == Tok::Ident && SameText(t.text, u"uses")) Uses(t.line);
    }
    return std::move(result_);
  }

 private:
  enum class State { ExpectItem, ExpectSeparator, Ended };

  // The next token that is neither a comment nor a directive.
  Token Significant() {
    for (;;) {
      Token t = sc_.Next();
      if (t.kind == Tok::End || t.kind == Tok::Ident || t.kind == Tok::Str || t.kind == Tok::Symbol)
        return t;
    }
  }

  void Uses(int usesLine) {
    State state = State::ExpectItem;
    // The state at each open conditional directive, so that an {$ELSE}
    // branch is read as if the branch before it were not there.
    std::vector<State> open;
    TProjectUnit* formTarget = nullptr;  // entry whose {Form} comment may follow
    String lastName;
    for (;;) {
      Token t = sc_.Next();
      if (t.kind != Tok::Comment) {
        // only a comment right after the path names the form
        if (t.kind != Tok::DirOther) formTarget = nullptr;
      }
      switch (t.kind) {
        case Tok::End:
          sc_.Fail(usesLine, u"the uses clause is not closed with ';'");
        case Tok::Comment:
          // The IDE writes the form name as {Name} or {Name: TClass}.
          if (formTarget != nullptr && t.brace) {
            String form = t.text;
            const size_t colon = form.find(u':');
            if (colon != String::npos) form.resize(colon);
            formTarget->FormName = Trim(form);
            formTarget = nullptr;
          }
          break;
        case Tok::DirIf:
          open.push_back(state);
          break;
        case Tok::DirElse:
          if (!open.empty()) state = open.back();
          break;
        case Tok::DirEnd:
          if (!open.empty()) {
            open.pop_back();
            if (open.empty() && state == State::Ended) return;
          }
          break;
        case Tok::DirOther:
          break;
        case Tok::Ident:
          if (state == State::ExpectItem) {
            lastName = t.text;
            state = State::ExpectSeparator;
            break;
          }
          if (state == State::ExpectSeparator && SameText(t.text, u"in")) {
            Token path = Significant();
            if (path.kind != Tok::Str)
              sc_.Fail(path.line,
                       u"expected a file name in quotes after 'in', found " + Quoted(path));
            if (Trim(path.text).empty())
              sc_.Fail(path.line, u"empty file name for unit '" + lastName + u"'");
            result_.Units.push_back({lastName, ToSlashes(path.text), String(), path.line});
            formTarget = &result_.Units.back();
            break;
          }
          sc_.Fail(t.line, Expected(state) + u", found " + Quoted(t));
        case Tok::Str:
          sc_.Fail(t.line, Expected(state) + u", found " + Quoted(t));
        case Tok::Symbol:
          if (state == State::ExpectSeparator && t.text == u",") {
            state = State::ExpectItem;
          } else if (state == State::ExpectSeparator && t.text == u";") {
            if (open.empty()) return;
            state = State::Ended;
          } else {
            sc_.Fail(t.line, Expected(state) + u", found " + Quoted(t));
          }
          break;
      }
    }
  }

  static String Expected(State state) {
    switch (state) {
      case State::ExpectItem:
        return u"expected a unit name in the uses clause";
      case State::ExpectSeparator:
        return u"expected ',' or ';' in the uses clause";
      case State::Ended:
        break;
    }
    return u"expected the end of a conditional directive after the uses clause";
  }

  Scanner sc_;
  TProjectFile result_;
};

}  // namespace

TProjectFile ParseDpr(StringView text, const String& fileName) {
  return DprParser(text, fileName).Parse();
}

TProjectFile ReadDpr(const String& fileName, TFileSystem& fs) {
  const std::string bytes = diskhost::ReadFileBytes(fileName, fs);
  return ParseDpr(ReadTextFile(bytes, TUnmarkedText::DetectUtf8).Text, fileName);
}

}  // namespace mirel
