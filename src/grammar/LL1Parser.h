// TLL1Parser: a grammar-driven recogniser. The grammar is plain text, one rule
// per AddRule call:
//
//   <name>-alt1|alt2|...
//
// An alternative is a sequence of literal characters, nonterminal references
// ("<obj_name>") and character-class references ("<*digits>"). "\60" is the
// character with code 60, "\|" a literal bar; an empty alternative matches the
// empty text. The whole rule is lower-cased when added, so literals match in
// any letter case.
//
// Parsing is backtracking recursive descent with ordered choice: a
// nonterminal tries its alternatives in their prepared order and commits to
// the first that matches completely; once it has returned true its caller
// never asks it for another match (as in a parsing-expression grammar). Runs
// of a character class are greedy and never give characters back.
//
// Before the first parse the grammar is prepared once and frozen:
//  1. empty alternatives are eliminated by expanding every reference to a
//     rule that has one into the variants with and without it;
//  2. each rule's alternatives are sorted: those that begin with a literal
//     first, then with a class reference, then with a nonterminal; within a
//     kind in descending text order, so that of two alternatives where one
//     begins with the whole of the other the longer is tried first;
//  3. the alternatives are compiled: references are resolved to rule indices
//     and adjacent literal characters merged, so no rule is looked up by name
//     while parsing.
//
// State and backtracking: the parser owns one current TParseState (or a
// subclass chosen at construction). Before trying the alternatives of a
// nonterminal it copies the state into a snapshot with Assign and, when an
// alternative fails, copies the snapshot back, so whatever a subclass
// recorded in its state (and its Assign undoes) disappears with the failed
// alternative. A nonterminal with only one alternative that can begin at the
// current character takes no snapshot: if it fails, the state is undone by
// the nearest caller that has another alternative to try, or at the end of a
// failed Parse, before anything else looks at it.
//
// Hooks for subclasses: every nonterminal goes through the virtual
// ParseNonterminal, every class reference through GetCharClass and
// MatchCharClass, and each parse is bracketed by BeforeParse/AfterParse.
//
// Memoisation (opt-in, per rule): a subclass may name rules whose result at a
// position can be remembered for the rest of a parse (IsMemoRule). The engine
// then matches such a rule at most once per position; later calls answer from
// the memo, moving Position to the remembered end on success. The subclass's
// ParseNonterminal still sees every call of the rule itself, but not the calls
// a repeated match would have made inside it. Only rules whose match depends
// on the position alone, and whose successful match leaves the state as it
// found it apart from Position, may be named; the engine cannot check this.
//
// Bounded recursion: nesting in the input becomes recursion here. A parse
// that would use more stack than the parser's budget (see SetStackBudget)
// stops and fails cleanly, as if the text did not match, instead of
// overflowing the stack.
//
// Not thread-safe; one parse at a time, never re-entered.
#pragma once

#include <bitset>
#include <cstddef>
#include <memory>
#include <vector>

#include "grammar/MemoTable.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// A fault in the grammar: a malformed rule text, or a reference to a rule
/// that was never added (found when a parse reaches it).
class EGrammarError : public Exception {
 public:
  using Exception::Exception;
};

class TLL1Parser;

/// The parse state the engine snapshots and restores around alternatives.
/// Subclasses add fields and extend Assign to copy them (and to undo
/// anything recorded outside the state that the source state does not know).
class TParseState {
 public:
  /// The owner is borrowed and must outlive the state.
  explicit TParseState(TLL1Parser* owner) : owner_(owner) {}
  virtual ~TParseState() = default;
  TParseState(const TParseState&) = delete;
  TParseState& operator=(const TParseState&) = delete;

  /// Copies Position from source (never the owner).
  virtual void Assign(const TParseState& source) { Position = source.Position; }

  TLL1Parser* Owner() const { return owner_; }

  /// 1-based index of the next character to read; length + 1 is the end.
  int Position = 1;

 private:
  TLL1Parser* owner_;
};

/// Creates a parse state of the class a parser was constructed with. Used for
/// the current state and for every snapshot.
using TParseStateClass = std::unique_ptr<TParseState> (*)(TLL1Parser* owner);

template <class T>
std::unique_ptr<TParseState> StateClassOf(TLL1Parser* owner) {
  return std::make_unique<T>(owner);
}

/// The characters a class reference stands for.
struct TCharClass {
  std::bitset<256> Chars;  ///< member codes 0..255 (code 0 is never set)
  bool Single = false;     ///< exactly one character, else a greedy run of one or more
  bool Wide = false;       ///< also every character above code 255
};

/// A nonterminal reference inside a prepared alternative: the name as
/// written (with brackets) and the rule it was resolved to (-1: never added).
struct TRuleRef {
  String Name;
  int Index = -1;
};

/// A character-class reference; its TCharClass is asked of GetCharClass the
/// first time the reference is matched and kept.
struct TClassRef {
  String Name;
  bool Resolved = false;
  TCharClass Class;
};

class TLL1Parser {
 public:
  /// Creates the empty rule table and the current state from stateClass.
  explicit TLL1Parser(TParseStateClass stateClass = StateClassOf<TParseState>);
  virtual ~TLL1Parser();
  TLL1Parser(const TLL1Parser&) = delete;
  TLL1Parser& operator=(const TLL1Parser&) = delete;

  /// Adds one rule; alternatives of a name added twice are appended to the
  /// first. Texts shorter than two characters are ignored. Throws
  /// EGrammarError "Cannot add rule. Invalid rule format." for a text with no
  /// '>' before its last character or ending in a backslash; throws
  /// EAssertionFailed once the grammar has been prepared.
  void AddRule(StringView rule);

  /// Recognises an instance of startName (with its brackets) in text,
  /// beginning at the 1-based position. On success returns true and moves
  /// position just past the match (which need not reach the end of the text);
  /// otherwise returns false and leaves position alone. Prepares the grammar
  /// on first use. Throws EGrammarError for a reference to a rule that was
  /// never added. `text` must stay alive until the next Parse or until the
  /// parser is destroyed: subclasses may keep views into it.
  bool Parse(StringView text, StringView startName, int& position);

  /// Prepares the grammar now (Parse does this on first use). Idempotent.
  void Prepare();
  bool Prepared() const { return prepared_; }

  /// The alternatives of a rule as stored (after preparation: expanded and
  /// in their prepared order); empty when there is no such rule.
  std::vector<String> Alternatives(StringView ruleName) const;
  /// The rule names, in the order of the rule table.
  std::vector<String> RuleNames() const;

  /// The text of the current (or last) parse.
  StringView Text() const { return text_; }
  TParseState& State() { return *state_; }
  const TParseState& State() const { return *state_; }

  /// Bytes of stack a single parse may use for its recursion. The default
  /// leaves ample room within the stack of the calling thread; past the
  /// budget the parse fails (DepthExceeded() then tells why).
  void SetStackBudget(size_t bytes) { stack_budget_ = bytes; }
  size_t StackBudget() const { return stack_budget_; }
  /// True when the last Parse failed because the input nested too deeply.
  bool DepthExceeded() const { return depth_exceeded_; }
  /// Where that parse had got to (1-based) when it gave up; everything
  /// between its start and here nests at least as deep below its own start.
  int DepthExceededAt() const { return depth_exceeded_ ? depth_exceeded_at_ : 0; }

  /// Turns memoisation of the rules named by IsMemoRule on (the default) or
  /// off; the results of a parse are the same either way.
  void SetMemoization(bool on) { memo_enabled_ = on; }
  /// Turns the first-character look-ahead on (the default) or off. With it,
  /// an alternative (or a whole nonterminal) that cannot begin with the
  /// character at the current position is not tried: it would fail. This
  /// holds as long as MatchCharClass matches what GetCharClass answers and
  /// every override of ParseNonterminal matches through the inherited one; a
  /// subclass that does otherwise turns the look-ahead off.
  void SetLookahead(bool on) { lookahead_ = on; }

  /// Number of nonterminal calls made by the last Parse: a measure of the
  /// work a parse did, independent of the machine.
  long long CallCount() const { return call_count_; }

 protected:
  /// The characters of a class reference. The engine answers <*char>,
  /// <*digit>, <*symbol> (single) and <*chars_or_digits>, <*digits>,
  /// <*symbols>, <*hexs> (runs); a subclass answers its own names first and
  /// passes the rest here. An unknown name is an internal error.
  virtual TCharClass GetCharClass(StringView name);
  /// Matches one nonterminal at State().Position. Every nonterminal, at any
  /// depth, is matched through this slot.
  virtual bool ParseNonterminal(const TRuleRef& ref);
  /// Matches one class reference at State().Position.
  virtual bool MatchCharClass(TClassRef& ref);
  virtual void BeforeParse() {}
  virtual void AfterParse(bool& result) { (void)result; }
  /// Whether a literal run of the prepared grammar is a word that must not
  /// run on into a name: such a literal matches only when the character after
  /// it is not a name character (IsNameChar). Asked once per literal run at
  /// preparation; the engine marks none.
  virtual bool IsWordLiteral(StringView literal) const {
    (void)literal;
    return false;
  }

  /// Characters that continue a name, for the word literals above: ASCII
  /// letters, digits and the underscore.
  virtual bool IsNameChar(char16_t c) const;
  /// Whether a word literal may end before the 0-based position `pos` of the
  /// text: by default when no name character follows.
  virtual bool IsWordEnd(size_t pos) const;

  /// Whether matches of the rule may be memoised (see the class comment).
  /// Asked once per rule at preparation; the engine names none.
  virtual bool IsMemoRule(StringView name) const {
    (void)name;
    return false;
  }

  /// Index of a rule in the rule table (-1 when absent); stable once prepared.
  int RuleIndex(StringView name) const;

 private:
  struct Item;
  struct FirstSet;
  struct Alternative;
  struct Rule;
  class DepthGuard;

  bool MatchAlternative(const Alternative& alt);
  void ExpandEmptyAlternatives();
  void SortAlternatives();
  void Compile();
  void ComputeFirstSets();
  void BuildDispatch();
  TParseState& SnapshotAt(size_t depth);

  TParseStateClass state_class_;
  std::unique_ptr<TParseState> state_;
  std::vector<Rule> rules_;  // sorted by name, case-insensitively
  std::vector<TRuleRef> rule_refs_;
  std::vector<TClassRef> class_refs_;
  std::vector<std::unique_ptr<TParseState>> snapshots_;  // one per recursion depth
  bool prepared_ = false;
  StringView text_;
  size_t depth_ = 0;
  const char* stack_base_ = nullptr;
  size_t stack_budget_;
  bool depth_exceeded_ = false;
  int depth_exceeded_at_ = 0;
  long long call_count_ = 0;
  bool memo_enabled_ = true;
  bool lookahead_ = true;
  std::vector<bool> memo_rule_;  // by rule index
  TMemoTable memo_;              // (rule, position) -> end position, or 0: failed
};

}  // namespace mirel
