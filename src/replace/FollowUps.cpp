#include "replace/FollowUps.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "pascal/PasParser.h"

namespace mirel {

namespace {

// A lexem that is neither blank nor comment, by its place in the text.
struct TToken {
  int Code;
  size_t Pos;
  size_t Len;
  bool Name = false;  // an identifier that is no reserved word
  size_t Open = 0;    // for a ')': the index of its '(', or kNoMatch
};

constexpr size_t kNoMatch = static_cast<size_t>(-1);

// The words of Pascal that can never name a variable, a member or a type.
constexpr const char16_t* kReserved[] = {
    u"and",
    u"array",
    u"as",
    u"asm",
    u"begin",
    u"case",
    u"class",
    u"const",
    u"constructor",
    u"destructor",
    u"div",
    u"do",
    u"downto",
    u"else",
    u"end",
    u"except",
    u"exports",
    u"file",
    u"finalization",
    u"finally",
    u"for",
    u"function",
    u"goto",
    u"if",
    u"implementation",
    u"in",
    u"inherited",
    u"initialization",
    u"interface",
    u"is",
    u"label",
    u"library",
    u"mod",
    u"nil",
    u"not",
    u"object",
    u"of",
    u"or",
    u"out",
    u"packed",
    u"procedure",
    u"program",
    u"property",
    u"raise",
    u"record",
    u"repeat",
    u"resourcestring",
    u"set",
    u"shl",
    u"shr",
    u"string",
    u"then",
    u"threadvar",
    u"to",
    u"try",
    u"type",
    u"unit",
    u"until",
    u"uses",
    u"var",
    u"while",
    u"with",
    u"xor",
};

bool IsReserved(StringView word) {
  static const std::unordered_set<String> reserved = [] {
    std::unordered_set<String> set;
    for (const char16_t* r : kReserved) set.insert(UpperCase(r));
    return set;
  }();
  return reserved.count(UpperCase(word)) != 0;
}

bool InClassList(StringView list, StringView cls) {
  size_t i = 0;
  while (i < list.size()) {
    size_t j = list.find(u' ', i);
    if (j == StringView::npos) j = list.size();
    if (SameText(list.substr(i, j - i), cls)) return true;
    i = j + 1;
  }
  return false;
}

// The scan over one unit. Positions are token indexes unless said otherwise.
class TFollowUpScan {
 public:
  TFollowUpScan(StringView text, const TFollowUpRules& rules,
                const std::function<const String*(StringView)>& targetOf)
      : text_(text), rules_(rules), target_of_(targetOf) {
    Tokenize();
    for (const TFollowUpMember& m : rules_.Members) member_names_.insert(UpperCase(m.Name));
  }

  std::vector<TFollowUp> Run() {
    CollectDeclarations();
    FindAll();
    return Located();
  }

 private:
  // A found place, by text offset until Located turns it into line and column.
  struct TFound {
    size_t Pos;
    size_t End;
    String Hint;
  };
  // What a name the unit declares stands for; Ambiguous when it is declared
  // with two different types (or once with a mapped class, once without).
  struct TDeclared {
    String Class;  // the mapped class, empty for any other type
    bool Ambiguous = false;
  };
  // One with statement in force: the classes of its objects in order (empty
  // for an object of unknown class), the depth of begin..end nesting at its
  // "do", and whether its statement is a block that closes with an end.
  struct TWithScope {
    std::vector<String> Classes;
    int Depth = 0;
    bool Block = false;
  };

  // The lexems that matter, with what every later question asks of them
  // worked out once: which are names, which '(' each ')' closes (within
  // one statement: a ';' forgets the open ones).
  void Tokenize() {
    TPasParser lexer{String(text_)};
    StringView lexem;
    std::vector<size_t> open;
    for (int code; (code = lexer.GetNext(lexem)) != LexEnd;) {
      if (code == LexBlank || code == LexComment) continue;
      TToken t{code, lexer.PrevPos(), lexem.size()};
      // Item and inline are keywords of the form lexer only; in code they are names.
      t.Name = (code == LexIdent || code == LexKwItem || code == LexKwInline) && !IsReserved(lexem);
      if (code == LexLeftParen) open.push_back(tokens_.size());
      if (code == LexSemicolon) open.clear();
      if (code == LexRightParen) {
        t.Open = open.empty() ? kNoMatch : open.back();
        if (!open.empty()) open.pop_back();
      }
      tokens_.push_back(t);
    }
  }

  StringView Lexem(size_t i) const {
    return i < tokens_.size() ? text_.substr(tokens_[i].Pos, tokens_[i].Len) : StringView();
  }
  int Code(size_t i) const { return i < tokens_.size() ? tokens_[i].Code : LexEnd; }
  bool IsName(size_t i) const { return i < tokens_.size() && tokens_[i].Name; }
  bool IsWord(size_t i, StringView word) const {
    return Code(i) == LexIdent && SameText(Lexem(i), word);
  }
  // ':' of a declaration or label, not the first half of ':='.
  bool IsColon(size_t i) const {
    if (Code(i) != LexColon) return false;
    const size_t after = tokens_[i].Pos + 1;
    return after >= text_.size() || text_[after] != u'=';
  }
  bool IsUnit(size_t i) const {
    return IsName(i) && std::any_of(rules_.Units.begin(), rules_.Units.end(),
                                    [&](const char16_t* u) { return SameText(Lexem(i), u); });
  }
  const String* MappedClass(size_t i) const { return IsName(i) ? target_of_(Lexem(i)) : nullptr; }

  // Declarations "A, B: Type" anywhere (variables, fields, parameters,
  // properties, function results), routine names, and "Name =" type and
  // constant declarations: declared_ gets the names of the first kind,
  // own_ every name the unit declares (which then is not the library's).
  void CollectDeclarations() {
    for (size_t i = 0; i < tokens_.size(); ++i) {
      if (IsColon(i)) {
        DeclareList(i);
      } else if ((IsWord(i, u"function") || IsWord(i, u"procedure") || IsWord(i, u"constructor") ||
                  IsWord(i, u"destructor")) &&
                 IsName(i + 1)) {
        size_t j = i + 1;
        while (Code(j + 1) == LexDot && IsName(j + 2)) j += 2;
        own_.insert(UpperCase(Lexem(j)));
      } else if (Code(i) == LexEqual && i >= 1 && IsName(i - 1) &&
                 (i == 1 || Code(i - 2) == LexSemicolon || IsWord(i - 2, u"type") ||
                  IsWord(i - 2, u"const"))) {
        own_.insert(UpperCase(Lexem(i - 1)));
      }
    }
  }

  void DeclareList(size_t colon) {
    std::vector<size_t> names;
    if (colon == 0 || !IsName(colon - 1)) return;
    size_t j = colon - 1;
    names.push_back(j);
    while (j >= 2 && Code(j - 1) == LexComma && IsName(j - 2)) {
      j -= 2;
      names.push_back(j);
    }
    if (j >= 1 && Code(j - 1) == LexDot) return;
    // The type: a name, perhaps qualified; a mapped class only when it is
    // the whole type (not TQuery(X), not array of TQuery) and its qualifier,
    // if any, is one of the library's units.
    String cls;
    size_t t = colon + 1;
    if (IsName(t)) {
      while (Code(t + 1) == LexDot && IsName(t + 2)) t += 2;
      const int next = Code(t + 1);
      const bool whole = next != LexLeftParen && next != LexLeftBracket && next != LexLess &&
                         next != LexCaret && next != LexComma && !IsWord(t + 1, u"of");
      const bool qualifiedOk = t == colon + 1 || IsUnit(t - 2);
      if (whole && qualifiedOk && MappedClass(t) != nullptr) cls = String(Lexem(t));
    }
    for (size_t n : names) {
      const String key = UpperCase(Lexem(n));
      own_.insert(key);
      auto [it, added] = declared_.try_emplace(key, TDeclared{cls});
      if (!added && !SameText(it->second.Class, cls)) it->second.Ambiguous = true;
    }
  }

  // The mapped class a name was declared with, or nullptr.
  const String* DeclaredClass(size_t i) const {
    if (!IsName(i)) return nullptr;
    const auto it = declared_.find(UpperCase(Lexem(i)));
    if (it == declared_.end() || it->second.Ambiguous || it->second.Class.empty()) return nullptr;
    return &it->second.Class;
  }

  // The class of the object that the tokens [from, to] (inclusive) denote,
  // when they are one of: a declared name (Query1, Self.Query1,
  // Form1.Query1); a typecast TQuery(X); a parenthesised (X as TQuery); a
  // new object TQuery.Create(...). Sets start to where the object's text
  // begins. Empty when the class cannot be told.
  String ObjectClass(size_t from, size_t to, size_t& start) const {
    if (to < from || to >= tokens_.size()) return String();
    if (const String* cls = DeclaredClass(to)) {
      start = to;
      return *cls;
    }
    if (Code(to) != LexRightParen) return String();
    const size_t open = tokens_[to].Open;
    if (open == kNoMatch || open < from) return String();
    if (open > from && MappedClass(open - 1) != nullptr) {
      // TQuery(X)
      start = open - 1;
      return String(Lexem(open - 1));
    }
    if (open >= from + 3 && IsWord(open - 1, u"Create") && Code(open - 2) == LexDot &&
        MappedClass(open - 3) != nullptr) {
      start = open - 3;
      return String(Lexem(open - 3));
    }
    // (X as TQuery): the parentheses must not be a call's.
    const bool call = open > 0 && (IsName(open - 1) || Code(open - 1) == LexRightParen ||
                                   Code(open - 1) == LexRightBracket);
    if (!call && to >= open + 3 && IsWord(to - 2, u"as") && MappedClass(to - 1) != nullptr) {
      start = open;
      return String(Lexem(to - 1));
    }
    return String();
  }

  const TFollowUpMember* MemberOf(StringView cls, StringView name) const {
    for (const TFollowUpMember& m : rules_.Members)
      if (SameText(m.Name, name) && InClassList(m.Classes, cls)) return &m;
    return nullptr;
  }

  String MemberHint(StringView cls, const TFollowUpMember& m) const {
    const String* target = target_of_(cls);
    return (target ? *target : String(cls)) + u" has no " + m.Name + u": " + m.Advice;
  }

  const TFollowUpName* LibraryName(StringView name) const {
    for (const TFollowUpName& n : rules_.Names)
      if (SameText(n.Name, name)) return &n;
    for (const TFollowUpName& p : rules_.Prefixes) {
      const StringView prefix = p.Name;
      if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
          name[prefix.size()] >= u'A' && name[prefix.size()] <= u'Z')
        return &p;
    }
    return nullptr;
  }

  void Report(size_t fromToken, size_t toToken, String hint) {
    found_.push_back(
        {tokens_[fromToken].Pos, tokens_[toToken].Pos + tokens_[toToken].Len, std::move(hint)});
  }

  // The items of the with statement at i, up to its "do" (returned through
  // doToken); nullopt when no "do" follows at the outer level soon.
  std::optional<TWithScope> ReadWith(size_t with, size_t& doToken) const {
    constexpr size_t kMaxTokens = 256;
    TWithScope scope;
    size_t itemStart = with + 1;
    int parens = 0;
    for (size_t k = with + 1; k < tokens_.size() && k < with + kMaxTokens; ++k) {
      const int c = Code(k);
      if (c == LexLeftParen || c == LexLeftBracket) ++parens;
      if (c == LexRightParen || c == LexRightBracket) --parens;
      if (c == LexSemicolon || c == LexKwEnd || IsWord(k, u"begin") || IsWord(k, u"with"))
        return std::nullopt;
      if (parens == 0 && (c == LexComma || IsWord(k, u"do"))) {
        size_t start = 0;
        scope.Classes.push_back(k > itemStart ? ObjectClass(itemStart, k - 1, start) : String());
        itemStart = k + 1;
        if (c != LexComma) {
          doToken = k;
          return scope;
        }
      }
    }
    return std::nullopt;
  }

  // A bare name in the with statements in force: the member it names when
  // the innermost object that could hold it is of a known class that has it
  // in the table. An object of unknown class, or of a class without the
  // member in the table, may well be what the name refers to: no answer.
  std::optional<String> WithMember(size_t i) const {
    if (withs_.empty() || member_names_.count(UpperCase(Lexem(i))) == 0) return std::nullopt;
    if (IsColon(i + 1) || IsWord(i - 1, u"var") || IsWord(i - 1, u"const")) return std::nullopt;
    const std::vector<String>& classes = withs_.back().Classes;
    const String& cls = classes.back();
    if (cls.empty()) return std::nullopt;
    const TFollowUpMember* m = MemberOf(cls, Lexem(i));
    if (m == nullptr) return std::nullopt;
    return MemberHint(cls, *m);
  }

  // Ends the with statements that the token at i closes; depth_ is already
  // updated for it.
  void CloseWiths(size_t i) {
    const int c = Code(i);
    const bool separator = c == LexSemicolon || IsWord(i, u"else") || IsWord(i, u"until") ||
                           IsWord(i, u"except") || IsWord(i, u"finally");
    while (!withs_.empty()) {
      const TWithScope& w = withs_.back();
      const bool ends = w.Depth > depth_ || (separator && w.Depth == depth_) ||
                        (c == LexKwEnd && w.Block && w.Depth == depth_);
      if (!ends) break;
      withs_.pop_back();
    }
  }

  void FindAll() {
    std::optional<TWithScope> pending;  // a with whose "do" is still ahead
    size_t pendingDo = 0;
    bool inUses = false;
    for (size_t i = 0; i < tokens_.size(); ++i) {
      const int c = Code(i);
      if (c == LexKwUses) inUses = true;
      if (inUses) {
        if (c == LexSemicolon) inUses = false;
        continue;
      }
      if (pending && i == pendingDo + 1) {
        pending->Depth = depth_;
        pending->Block =
            IsWord(i, u"begin") || IsWord(i, u"case") || IsWord(i, u"try") || IsWord(i, u"asm");
        withs_.push_back(std::move(*pending));
        pending.reset();
      }
      if (IsWord(i, u"begin") || IsWord(i, u"case") || IsWord(i, u"try") || IsWord(i, u"asm") ||
          IsWord(i, u"record")) {
        ++depth_;
      } else if (c == LexKwEnd) {
        if (depth_ > 0) --depth_;
      }
      CloseWiths(i);

      if (IsWord(i, u"with") && !pending) {
        size_t doToken = 0;
        if (std::optional<TWithScope> scope = ReadWith(i, doToken)) {
          pending = std::move(scope);
          pendingDo = doToken;
        }
        continue;
      }
      if (!IsName(i)) continue;
      if (i >= 1 && Code(i - 1) == LexDot) {
        AfterDot(i);
      } else if (std::optional<String> hint = WithMember(i)) {
        Report(i, i, std::move(*hint));
      } else if (const TFollowUpName* n = LibraryName(Lexem(i))) {
        if (own_.count(UpperCase(Lexem(i))) == 0 && !IsUnit(i)) Report(i, i, n->Hint);
      }
    }
  }

  // A name after a dot: a member of an object of known class, or a library
  // name qualified by one of the library's units.
  void AfterDot(size_t i) {
    if (i < 2) return;
    size_t start = 0;
    const String cls = ObjectClass(0, i - 2, start);
    if (!cls.empty()) {
      if (const TFollowUpMember* m = MemberOf(cls, Lexem(i))) Report(start, i, MemberHint(cls, *m));
      return;
    }
    if (IsUnit(i - 2) && own_.count(UpperCase(Lexem(i))) == 0)
      if (const TFollowUpName* n = LibraryName(Lexem(i))) Report(i - 2, i, n->Hint);
  }

  std::vector<TFollowUp> Located() {
    std::stable_sort(found_.begin(), found_.end(),
                     [](const TFound& a, const TFound& b) { return a.Pos < b.Pos; });
    std::vector<TFollowUp> result;
    result.reserve(found_.size());
    size_t at = 0;  // found_ is in text order, so one walk finds every line
    int line = 1;
    size_t lineStart = 0;
    for (TFound& f : found_) {
      for (; at < f.Pos; ++at) {
        const char16_t ch = text_[at];
        if (ch == u'\n' || (ch == u'\r' && (at + 1 >= text_.size() || text_[at + 1] != u'\n'))) {
          ++line;
          lineStart = at + 1;
        }
      }
      result.push_back({line, static_cast<int>(f.Pos - lineStart) + 1,
                        String(text_.substr(f.Pos, f.End - f.Pos)), std::move(f.Hint)});
    }
    return result;
  }

  StringView text_;
  const TFollowUpRules& rules_;
  const std::function<const String*(StringView)>& target_of_;
  std::vector<TToken> tokens_;
  std::unordered_set<String> member_names_;         // upper-cased
  std::unordered_map<String, TDeclared> declared_;  // by upper-cased name
  std::unordered_set<String> own_;                  // upper-cased
  std::vector<TWithScope> withs_;
  int depth_ = 0;
  std::vector<TFound> found_;
};

}  // namespace

std::vector<TFollowUp> FindFollowUps(StringView unitText, const TFollowUpRules& rules,
                                     const std::function<const String*(StringView)>& targetOf) {
  return TFollowUpScan(unitText, rules, targetOf).Run();
}

}  // namespace mirel
