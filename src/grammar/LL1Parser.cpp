#include "grammar/LL1Parser.h"

#include <pthread.h>

#include <algorithm>

namespace mirel {

namespace {

constexpr char16_t kMarker[] = u"<__Spec>";
constexpr size_t kStackReserve = 256 * 1024;       // kept free below the deepest frame
constexpr size_t kDefaultStackBudget = 64u << 20;  // upper bound on any thread

String InvalidFormat() {
  return u"Cannot add rule. Invalid rule format.";
}

/// If a reference starts at text[i], returns its length (brackets included),
/// else 0. A '<' opens a reference only when another character follows that
/// is neither '<' nor '>', and a '>' closes it before any further '<'.
size_t ReferenceAt(StringView text, size_t i) {
  if (text[i] != u'<' || i + 1 >= text.size()) return 0;
  if (text[i + 1] == u'<' || text[i + 1] == u'>') return 0;
  for (size_t j = i + 1; j < text.size(); ++j) {
    if (text[j] == u'<') return 0;
    if (text[j] == u'>') return j - i + 1;
  }
  return 0;
}

enum class ItemKind : uint8_t { Literal = 0, CharClass = 1, Nonterminal = 2 };

ItemKind FirstItemKind(StringView alt) {
  if (alt.empty()) return ItemKind::Literal;
  const size_t len = ReferenceAt(alt, 0);
  if (len == 0) return ItemKind::Literal;
  return alt[1] == u'*' ? ItemKind::CharClass : ItemKind::Nonterminal;
}

/// The lowest address of the calling thread's stack, or null when unknown.
/// Asking the system is slow for the main thread (it reads the process's
/// memory map), so each thread asks once.
const char* StackLowEnd() {
  thread_local const char* low = [] {
    const char* result = nullptr;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* addr = nullptr;
      size_t size = 0;
      if (pthread_attr_getstack(&attr, &addr, &size) == 0) result = static_cast<const char*>(addr);
      pthread_attr_destroy(&attr);
    }
    return result;
  }();
  return low;
}

char16_t CollationKey(char16_t c) {
  return AsciiUpper(c);
}

/// The ordering of alternatives within one kind: descending, letters compared
/// as capitals, a proper prefix counting as the smaller text.
bool PreparedBefore(const String& a, const String& b) {
  const ItemKind ka = FirstItemKind(a), kb = FirstItemKind(b);
  if (ka != kb) return ka < kb;
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = CollationKey(a[i]), y = CollationKey(b[i]);
    if (x != y) return x > y;
  }
  return a.size() > b.size();
}

TCharClass MakeClass(bool single, auto&& member) {
  TCharClass cls;
  cls.Single = single;
  for (int c = 1; c < 256; ++c)
    if (member(c)) cls.Chars.set(static_cast<size_t>(c));
  return cls;
}

}  // namespace

struct TLL1Parser::Item {
  ItemKind Kind;
  bool Word = false;  // literal that must not run on into a name
  int Ref = -1;       // index into rule_refs_ or class_refs_
  String Literal;     // lower-cased literal run
};

/// The characters a match can begin with. Every item of a prepared grammar
/// consumes text, so a match that begins elsewhere is bound to fail; only a
/// nullable match (possible only through a rule left with an empty
/// alternative) or an unknown reference (which must be reached to report
/// itself) admits anything.
struct TLL1Parser::FirstSet {
  std::bitset<256> Chars;
  bool Wide = false;      // any character above 255
  bool Any = false;       // cannot tell: admit everything
  bool Nullable = false;  // may match the empty text

  bool Admits(StringView text, size_t pos) const {
    if (Any || Nullable) return true;
    if (pos >= text.size()) return false;
    const char16_t c = text[pos];
    return c < 256 ? Chars[c] : Wide;
  }
  void AddChars(const FirstSet& o) {
    Chars |= o.Chars;
    Wide = Wide || o.Wide;
    Any = Any || o.Any;
  }
  bool operator==(const FirstSet&) const = default;
};

struct TLL1Parser::Alternative {
  std::vector<Item> Items;
  FirstSet First;
};

struct TLL1Parser::Rule {
  String Name;
  std::vector<String> Alternatives;
  std::vector<Alternative> Compiled;
  FirstSet First;
  // The alternatives that can begin with a character, in order, as indices
  // into Compiled: those for bucket k are ByFirst[ByFirstStart[k] ..
  // ByFirstStart[k + 1]). Buckets 0-255 are the characters, kWideBucket any
  // character above, kEndBucket the end of the text.
  std::vector<uint32_t> ByFirst;
  std::vector<uint32_t> ByFirstStart;
};

namespace {
constexpr size_t kWideBucket = 256;
constexpr size_t kEndBucket = 257;
constexpr size_t kBuckets = 258;
}  // namespace

/// Tracks the recursion depth of ParseNonterminal and stops a parse that
/// would run out of stack.
class TLL1Parser::DepthGuard {
 public:
  explicit DepthGuard(TLL1Parser& p) : p_(p) { ++p_.depth_; }
  ~DepthGuard() { --p_.depth_; }

 private:
  TLL1Parser& p_;
};

namespace {
/// Thrown inside a parse when the stack budget is spent; caught by Parse.
struct TooDeep {};
}  // namespace

TLL1Parser::TLL1Parser(TParseStateClass stateClass)
    : state_class_(stateClass), state_(stateClass(this)), stack_budget_(kDefaultStackBudget) {}

TLL1Parser::~TLL1Parser() = default;

void TLL1Parser::AddRule(StringView ruleText) {
  MIREL_ASSERT(!prepared_);
  if (ruleText.size() < 2) return;
  const String text = LowerCase(ruleText);

  const size_t close = text.find(u'>', 1);
  if (close == String::npos || close + 1 >= text.size()) throw EGrammarError(InvalidFormat());
  const String name = text.substr(0, close + 1);
  // text[close + 1] is the separator; it is not checked.
  const StringView body = StringView(text).substr(close + 2);

  std::vector<String> alternatives;
  if (!body.empty()) {
    String current;
    for (size_t i = 0; i < body.size(); ++i) {
      const char16_t c = body[i];
      if (c == u'|') {
        alternatives.push_back(std::move(current));
        current.clear();
      } else if (c == u'\\') {
        if (i + 1 >= body.size()) throw EGrammarError(InvalidFormat());
        if (body[i + 1] >= u'0' && body[i + 1] <= u'9') {
          unsigned long code = 0;
          while (i + 1 < body.size() && body[i + 1] >= u'0' && body[i + 1] <= u'9') {
            code = code * 10 + (body[i + 1] - u'0');
            if (code > 0xFFFF) throw EGrammarError(InvalidFormat());
            ++i;
          }
          current.push_back(static_cast<char16_t>(code));
        } else {
          current.push_back(body[++i]);
        }
      } else {
        current.push_back(c);
      }
    }
    alternatives.push_back(std::move(current));
  }

  auto it =
      std::lower_bound(rules_.begin(), rules_.end(), name,
                       [](const Rule& r, const String& n) { return CompareText(r.Name, n) < 0; });
  if (it == rules_.end() || CompareText(it->Name, name) != 0)
    it = rules_.insert(it, Rule{name, {}, {}, {}, {}, {}});
  for (auto& a : alternatives) it->Alternatives.push_back(std::move(a));
}

int TLL1Parser::RuleIndex(StringView name) const {
  auto it = std::lower_bound(rules_.begin(), rules_.end(), name, [](const Rule& r, StringView n) {
    return CompareText(r.Name, n) < 0;
  });
  if (it == rules_.end() || CompareText(it->Name, name) != 0) return -1;
  return static_cast<int>(it - rules_.begin());
}

std::vector<String> TLL1Parser::Alternatives(StringView ruleName) const {
  const int i = RuleIndex(ruleName);
  return i < 0 ? std::vector<String>() : rules_[static_cast<size_t>(i)].Alternatives;
}

std::vector<String> TLL1Parser::RuleNames() const {
  std::vector<String> names;
  for (const auto& r : rules_) names.push_back(r.Name);
  return names;
}

void TLL1Parser::ExpandEmptyAlternatives() {
  for (size_t n = 0; n < rules_.size(); ++n) {
    Rule& target = rules_[n];
    if (std::find(target.Alternatives.begin(), target.Alternatives.end(), String()) ==
        target.Alternatives.end())
      continue;

    const auto expand = [&](std::vector<String>& alts) {
      const std::vector<String> replacements = target.Alternatives;  // N's current list
      std::vector<String> produced;
      for (const String& alt : alts) {
        // Split the alternative at its references to N; those become markers.
        std::vector<String> pieces{String()};
        size_t markers = 0;
        for (size_t i = 0; i < alt.size();) {
          const size_t len = ReferenceAt(alt, i);
          if (len > 0 && SameText(StringView(alt).substr(i, len), target.Name)) {
            pieces.emplace_back();
            ++markers;
            i += len;
          } else if (len > 0) {
            pieces.back().append(alt, i, len);
            i += len;
          } else {
            pieces.back().push_back(alt[i++]);
          }
        }
        // Depth-first over the markers, leftmost first, in N's stored order.
        std::vector<size_t> choice(markers, 0);
        const auto emit = [&] {
          String text = pieces[0];
          for (size_t m = 0; m < markers; ++m) {
            text += replacements.empty() ? String(kMarker) : replacements[choice[m]];
            text += pieces[m + 1];
          }
          size_t pos;
          while ((pos = text.find(kMarker)) != String::npos)
            text.replace(pos, std::char_traits<char16_t>::length(kMarker), target.Name);
          const bool seen = std::any_of(produced.begin(), produced.end(),
                                        [&](const String& p) { return SameText(p, text); });
          if (!seen) produced.push_back(std::move(text));
        };
        if (markers == 0 || replacements.empty()) {
          emit();
          continue;
        }
        for (;;) {
          emit();
          size_t m = markers;
          while (m > 0 && ++choice[m - 1] == replacements.size()) choice[--m] = 0;
          if (m == 0) break;
        }
      }
      alts = std::move(produced);
    };

    for (size_t m = 0; m < rules_.size(); ++m)
      if (m != n) expand(rules_[m].Alternatives);
    expand(target.Alternatives);
    auto& alts = target.Alternatives;
    alts.erase(std::remove(alts.begin(), alts.end(), String()), alts.end());
  }
}

void TLL1Parser::SortAlternatives() {
  for (auto& rule : rules_)
    std::sort(rule.Alternatives.begin(), rule.Alternatives.end(), PreparedBefore);
}

void TLL1Parser::Compile() {
  memo_rule_.clear();
  for (const auto& rule : rules_) memo_rule_.push_back(IsMemoRule(rule.Name));
  for (auto& rule : rules_) {
    rule.Compiled.clear();
    for (const String& alt : rule.Alternatives) {
      Alternative compiled;
      for (size_t i = 0; i < alt.size();) {
        const size_t len = ReferenceAt(alt, i);
        if (len == 0) {
          if (compiled.Items.empty() || compiled.Items.back().Kind != ItemKind::Literal)
            compiled.Items.push_back(Item{ItemKind::Literal, false, -1, {}});
          compiled.Items.back().Literal.push_back(alt[i++]);
          continue;
        }
        const String ref = alt.substr(i, len);
        i += len;
        if (ref[1] == u'*') {
          class_refs_.push_back(TClassRef{ref, false, {}});
          compiled.Items.push_back(
              Item{ItemKind::CharClass, false, static_cast<int>(class_refs_.size() - 1), {}});
        } else {
          rule_refs_.push_back(TRuleRef{ref, RuleIndex(ref)});
          compiled.Items.push_back(
              Item{ItemKind::Nonterminal, false, static_cast<int>(rule_refs_.size() - 1), {}});
        }
      }
      for (auto& item : compiled.Items)
        if (item.Kind == ItemKind::Literal) item.Word = IsWordLiteral(item.Literal);
      rule.Compiled.push_back(std::move(compiled));
    }
  }
}

void TLL1Parser::ComputeFirstSets() {
  // The character sets of the classes, asked once. A class the subclass does
  // not know is left for the parse to report when it reaches it.
  std::vector<FirstSet> classes(class_refs_.size());
  for (size_t i = 0; i < class_refs_.size(); ++i) {
    try {
      TClassRef& ref = class_refs_[i];
      if (!ref.Resolved) ref.Class = GetCharClass(ref.Name), ref.Resolved = true;
      classes[i].Chars = ref.Class.Chars;
      classes[i].Wide = ref.Class.Wide;
    } catch (const EAssertionFailed&) {
      classes[i].Any = true;
    }
  }
  for (bool changed = true; changed;) {
    changed = false;
    for (Rule& rule : rules_) {
      FirstSet ruleFirst;
      for (Alternative& alt : rule.Compiled) {
        FirstSet first;
        bool nullable = true;
        for (const Item& item : alt.Items) {
          if (item.Kind == ItemKind::Literal) {
            const char16_t c = item.Literal[0];
            if (c >= 256) {
              first.Wide = true;
            } else {
              first.Chars.set(c);
              first.Chars.set(AsciiUpper(c));
            }
          } else if (item.Kind == ItemKind::CharClass) {
            first.AddChars(classes[static_cast<size_t>(item.Ref)]);
          } else {
            const int target = rule_refs_[static_cast<size_t>(item.Ref)].Index;
            if (target < 0) {
              first.Any = true;
            } else {
              const FirstSet& inner = rules_[static_cast<size_t>(target)].First;
              first.AddChars(inner);
              if (inner.Nullable) continue;
            }
          }
          nullable = false;
          break;
        }
        first.Nullable = nullable;
        ruleFirst.AddChars(first);
        ruleFirst.Nullable = ruleFirst.Nullable || nullable;
        alt.First = first;
      }
      if (!(ruleFirst == rule.First)) {
        rule.First = ruleFirst;
        changed = true;
      }
    }
  }
}

void TLL1Parser::BuildDispatch() {
  for (Rule& rule : rules_) {
    rule.ByFirst.clear();
    rule.ByFirstStart.assign(1, 0);
    for (size_t bucket = 0; bucket < kBuckets; ++bucket) {
      for (size_t i = 0; i < rule.Compiled.size(); ++i) {
        const FirstSet& f = rule.Compiled[i].First;
        const bool admits =
            f.Any || f.Nullable ||
            (bucket < kWideBucket ? f.Chars[bucket] : bucket == kWideBucket && f.Wide);
        if (admits) rule.ByFirst.push_back(static_cast<uint32_t>(i));
      }
      rule.ByFirstStart.push_back(static_cast<uint32_t>(rule.ByFirst.size()));
    }
  }
}

void TLL1Parser::Prepare() {
  if (prepared_) return;
  ExpandEmptyAlternatives();
  SortAlternatives();
  Compile();
  ComputeFirstSets();
  BuildDispatch();
  prepared_ = true;
}

bool TLL1Parser::IsNameChar(char16_t c) const {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

bool TLL1Parser::IsWordEnd(size_t pos) const {
  return pos >= text_.size() || !IsNameChar(text_[pos]);
}

TCharClass TLL1Parser::GetCharClass(StringView name) {
  const auto digit = [](int c) { return c >= '0' && c <= '9'; };
  const auto letter = [](int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  const auto symbol = [](int c) { return c != '\''; };
  if (name == u"<*char>") return MakeClass(true, [&](int c) { return letter(c) || c == '_'; });
  if (name == u"<*digit>") return MakeClass(true, digit);
  if (name == u"<*symbol>") return MakeClass(true, symbol);
  if (name == u"<*chars_or_digits>")
    return MakeClass(false, [&](int c) { return letter(c) || digit(c) || c == '_'; });
  if (name == u"<*digits>") return MakeClass(false, digit);
  if (name == u"<*symbols>") return MakeClass(false, symbol);
  if (name == u"<*hexs>")
    return MakeClass(
        false, [&](int c) { return digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); });
  RaiseAssertion(("known character class " + ToUtf8(name)).c_str(), __FILE__, __LINE__);
}

bool TLL1Parser::MatchCharClass(TClassRef& ref) {
  if (!ref.Resolved) {
    ref.Class = GetCharClass(ref.Name);
    ref.Resolved = true;
  }
  const TCharClass& cls = ref.Class;
  const auto member = [&cls](char16_t c) { return c < 256 ? cls.Chars[c] : cls.Wide; };
  const size_t start = static_cast<size_t>(state_->Position - 1);
  size_t p = start;
  if (cls.Single) {
    if (p < text_.size() && member(text_[p])) ++p;
  } else {
    while (p < text_.size() && member(text_[p])) ++p;
  }
  state_->Position += static_cast<int>(p - start);
  return p > start;
}

TParseState& TLL1Parser::SnapshotAt(size_t depth) {
  while (snapshots_.size() <= depth) snapshots_.push_back(state_class_(this));
  return *snapshots_[depth];
}

bool TLL1Parser::ParseNonterminal(const TRuleRef& ref) {
  if (ref.Index < 0) throw EGrammarError(u"Unknown nonterminal: " + ref.Name);
  ++call_count_;
  const char* frame = static_cast<const char*>(__builtin_frame_address(0));
  if (stack_base_ != nullptr && static_cast<size_t>(stack_base_ - frame) > stack_budget_) {
    depth_exceeded_at_ = state_->Position;
    throw TooDeep{};
  }
  const size_t index = static_cast<size_t>(ref.Index);
  uint64_t key = 0;
  const bool memo = memo_enabled_ && memo_rule_[index];
  if (memo) {
    key = (static_cast<uint64_t>(index) << 32) | static_cast<uint32_t>(state_->Position);
    if (const int* end = memo_.Find(key)) {
      if (*end == 0) return false;
      state_->Position = *end;
      return true;
    }
  }
  const Rule& rule = rules_[index];
  const size_t pos = static_cast<size_t>(state_->Position - 1);
  if (lookahead_) {
    // Only the alternatives that can begin with the character at hand.
    const size_t bucket = pos >= text_.size() ? kEndBucket
                          : text_[pos] < 256  ? static_cast<size_t>(text_[pos])
                                              : kWideBucket;
    const uint32_t* first = rule.ByFirst.data() + rule.ByFirstStart[bucket];
    const uint32_t* const end = rule.ByFirst.data() + rule.ByFirstStart[bucket + 1];
    if (first != end) {
      DepthGuard guard(*this);
      if (end - first == 1) {
        // Nothing else could be tried here: a failure is undone by whoever
        // has an alternative left (or by Parse), so no snapshot is needed.
        if (MatchAlternative(rule.Compiled[*first])) {
          if (memo) memo_.Set(key, state_->Position);
          return true;
        }
      } else {
        // Every failed alternative is undone back to this one state, so one
        // snapshot serves all of them.
        TParseState& snapshot = SnapshotAt(depth_);
        snapshot.Assign(*state_);
        for (; first != end; ++first) {
          if (MatchAlternative(rule.Compiled[*first])) {
            if (memo) memo_.Set(key, state_->Position);
            return true;
          }
          state_->Assign(snapshot);
        }
      }
    }
  } else {
    DepthGuard guard(*this);
    TParseState& snapshot = SnapshotAt(depth_);
    snapshot.Assign(*state_);
    for (const Alternative& alt : rule.Compiled) {
      if (MatchAlternative(alt)) {
        if (memo) memo_.Set(key, state_->Position);
        return true;
      }
      state_->Assign(snapshot);
    }
  }
  if (memo) memo_.Set(key, 0);
  return false;
}

bool TLL1Parser::MatchAlternative(const Alternative& alt) {
  for (const Item& item : alt.Items) {
    switch (item.Kind) {
      case ItemKind::Literal: {
        size_t p = static_cast<size_t>(state_->Position - 1);
        if (p + item.Literal.size() > text_.size()) return false;
        for (char16_t c : item.Literal)
          if (AsciiLower(text_[p++]) != c) return false;
        if (item.Word && !IsWordEnd(p)) return false;
        state_->Position = static_cast<int>(p + 1);
        break;
      }
      case ItemKind::CharClass:
        if (!MatchCharClass(class_refs_[static_cast<size_t>(item.Ref)])) return false;
        break;
      case ItemKind::Nonterminal:
        if (!ParseNonterminal(rule_refs_[static_cast<size_t>(item.Ref)])) return false;
        break;
    }
  }
  return true;
}

bool TLL1Parser::Parse(StringView text, StringView startName, int& position) {
  Prepare();
  MIREL_ASSERT(position >= 1 && static_cast<size_t>(position) <= text.size() + 1);
  text_ = text;
  state_->Position = position;
  depth_ = 0;
  call_count_ = 0;
  memo_.Clear();
  depth_exceeded_ = false;

  // The budget is measured from here down, and never more than this thread's
  // stack has left below this frame.
  stack_base_ = static_cast<const char*>(__builtin_frame_address(0));
  const size_t budget_setting = stack_budget_;
  if (const char* low = StackLowEnd()) {
    const size_t left = static_cast<size_t>(stack_base_ - low);
    stack_budget_ = std::min(stack_budget_, left > kStackReserve ? left - kStackReserve : 0);
  }

  const int start = RuleIndex(startName);
  const TRuleRef startRef{String(LowerCase(startName)), start};
  BeforeParse();
  // A nonterminal with a single alternative to try leaves undoing its
  // failure to its callers; a failed parse is undone here. (Nested calls
  // take their snapshots from slot 1 down.)
  TParseState& initial = SnapshotAt(0);
  initial.Assign(*state_);
  bool result = false;
  try {
    result = ParseNonterminal(startRef);
  } catch (const TooDeep&) {
    depth_exceeded_ = true;
    result = false;
  } catch (...) {
    stack_base_ = nullptr;
    stack_budget_ = budget_setting;
    throw;
  }
  if (!result) state_->Assign(initial);
  stack_base_ = nullptr;
  stack_budget_ = budget_setting;
  AfterParse(result);
  if (result) position = state_->Position;
  return result;
}

}  // namespace mirel
