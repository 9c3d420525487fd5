#include "grammar/LL1Parser.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace mirel;

namespace {

std::unique_ptr<TLL1Parser> Grammar(std::initializer_list<const char16_t*> rules) {
  auto p = std::make_unique<TLL1Parser>();
  for (const char16_t* r : rules) p->AddRule(r);
  return p;
}

// Parses from position 1 and returns the matched text, or "FAIL".
String Match(TLL1Parser& p, StringView text, StringView start = u"<s>") {
  int pos = 1;
  if (!p.Parse(text, start, pos)) return u"FAIL";
  return String(text.substr(0, static_cast<size_t>(pos - 1)));
}

using Alts = std::vector<String>;

}  // namespace

TEST(LL1ParserRules, StoredAlternativesFollowTheNotation) {
  auto p = Grammar({
      u"<a>-x|y|",         // trailing bar: a final empty alternative
      u"<b>-",             // nothing after the separator: no alternatives
      u"<c>-\\60<d>\\62",  // escaped angle brackets are literal characters
      u"<e>-1\\|2",        // an escaped bar does not separate
      u"<F>-ObJ",          // stored in lower case
      u"x",                // one character: ignored
  });
  EXPECT_EQ((Alts{u"x", u"y", u""}), p->Alternatives(u"<a>"));
  EXPECT_EQ(Alts{}, p->Alternatives(u"<b>"));
  EXPECT_EQ(Alts{u"<<d>>"}, p->Alternatives(u"<c>"));
  EXPECT_EQ(Alts{u"1|2"}, p->Alternatives(u"<e>"));
  EXPECT_EQ(Alts{u"obj"}, p->Alternatives(u"<f>"));
  EXPECT_EQ((Alts{u"<a>", u"<b>", u"<c>", u"<e>", u"<f>"}), p->RuleNames());
}

TEST(LL1ParserRules, SecondRuleOfTheSameNameAppendsAlternatives) {
  auto p = Grammar({u"<a>-x", u"<A>-y"});
  EXPECT_EQ((Alts{u"x", u"y"}), p->Alternatives(u"<a>"));
}

TEST(LL1ParserRules, MalformedRuleTextsAreRejected) {
  TLL1Parser p;
  for (const char16_t* bad : {u"<name>", u"<name", u"ab", u"<a>-x\\"}) {
    try {
      p.AddRule(bad);
      ADD_FAILURE() << "accepted " << ToUtf8(bad);
    } catch (const EGrammarError& e) {
      EXPECT_EQ(u"Cannot add rule. Invalid rule format.", e.Message());
    }
  }
}

TEST(LL1ParserRules, AddingAfterPreparationIsAnInternalError) {
  auto p = Grammar({u"<s>-a"});
  EXPECT_EQ(u"a", Match(*p, u"a"));
  EXPECT_THROW(p->AddRule(u"<t>-b"), EAssertionFailed);
}

TEST(LL1ParserPreparation, EmptyAlternativesAreExpandedAway) {
  auto p = Grammar({
      u"<name>-<*char><char_or_digit_l>",
      u"<char_or_digit_l>-<*chars_or_digits>|",
      u"<number_list>-<number>|<number><*delim><number_list>|",
      u"<number>-<*digits>",
      u"<int>-<sign><*digits>",
      u"<sign>-+|-|",
  });
  p->Prepare();
  EXPECT_EQ((Alts{u"<*char><*chars_or_digits>", u"<*char>"}), p->Alternatives(u"<name>"));
  EXPECT_EQ((Alts{u"<*chars_or_digits>"}), p->Alternatives(u"<char_or_digit_l>"));
  EXPECT_EQ((Alts{u"<number><*delim><number><*delim><number_list>", u"<number><*delim><number>",
                  u"<number><*delim>", u"<number>"}),
            p->Alternatives(u"<number_list>"));
  EXPECT_EQ((Alts{u"-", u"+"}), p->Alternatives(u"<sign>"));
  EXPECT_EQ((Alts{u"-<*digits>", u"+<*digits>", u"<*digits>"}), p->Alternatives(u"<int>"));
  for (const String& name : p->RuleNames())
    for (const String& alt : p->Alternatives(name)) EXPECT_FALSE(alt.empty()) << ToUtf8(name);
}

TEST(LL1ParserPreparation, LiteralsFirstThenClassesThenNonterminalsEachDescending) {
  auto p = Grammar({u"<s>-<b>|<*digits>|ab|<a>|a|<*char>|z", u"<a>-a", u"<b>-b"});
  p->Prepare();
  EXPECT_EQ((Alts{u"z", u"ab", u"a", u"<*digits>", u"<*char>", u"<b>", u"<a>"}),
            p->Alternatives(u"<s>"));
}

TEST(LL1ParserParse, LiteralsMatchInAnyCaseAndTheMatchNeedNotReachTheEnd) {
  auto p = Grammar({u"<S>-OBJECT <*digits>"});
  EXPECT_EQ(u"oBjEcT 42", Match(*p, u"oBjEcT 42 and more"));
}

TEST(LL1ParserParse, FailureLeavesThePositionAlone) {
  auto p = Grammar({u"<s>-a<t>", u"<t>-b|<*digits>"});
  int pos = 3;
  EXPECT_FALSE(p->Parse(u"xxa", u"<s>", pos));  // at the end: no literal, no class matches
  EXPECT_EQ(3, pos);
  pos = 4;
  EXPECT_FALSE(p->Parse(u"xxa", u"<s>", pos));
  EXPECT_EQ(4, pos);
  pos = 3;
  EXPECT_TRUE(p->Parse(u"xxa12!", u"<s>", pos));
  EXPECT_EQ(6, pos);
}

TEST(LL1ParserParse, RunsNeverGiveCharactersBack) {
  auto p = Grammar({u"<s>-<*digits>1"});
  EXPECT_EQ(u"FAIL", Match(*p, u"121"));
}

TEST(LL1ParserParse, ANonterminalCommitsToItsFirstMatch) {
  // <a> tries "ab" before "a"; once it has matched "ab" the caller cannot ask
  // it for the shorter match that would let "bc" follow.
  auto p = Grammar({u"<s>-<a>bc", u"<a>-a|ab"});
  EXPECT_EQ(u"FAIL", Match(*p, u"abc"));
  EXPECT_EQ(u"abbc", Match(*p, u"abbc"));
}

TEST(LL1ParserParse, CharacterClasses) {
  struct Row {
    const char16_t* rule;
    String text;
    const char16_t* matched;
  };
  const Row rows[] = {
      {u"<s>-<*char>", u"_x", u"_"},
      {u"<s>-<*char>", u"1", u"FAIL"},
      {u"<s>-<*digit>", u"12", u"1"},
      {u"<s>-<*chars_or_digits>", u"a_1Z-", u"a_1Z"},
      {u"<s>-<*hexs>", u"0aF9g", u"0aF9"},
      {u"<s>-<*symbols>", u"a b'c", u"a b"},
      {u"<s>-<*symbol>", u"'", u"FAIL"},
      {u"<s>-<*symbols>", u"\u00ff\u0100", u"\u00ff"},        // above 255: in no class
      {u"<s>-<*symbols>", String(1, u'\0') + u"a", u"FAIL"},  // nor is NUL
  };
  for (const Row& r : rows) {
    auto p = Grammar({r.rule});
    EXPECT_EQ(String(r.matched), Match(*p, r.text)) << ToUtf8(r.rule) << " on " << ToUtf8(r.text);
  }
}

TEST(LL1ParserParse, UnknownNonterminalsAreReportedWhenReached) {
  auto p = Grammar({u"<s>-a|b<missing>"});
  EXPECT_EQ(u"a", Match(*p, u"a"));  // never reaches the reference
  try {
    Match(*p, u"b");
    ADD_FAILURE();
  } catch (const EGrammarError& e) {
    EXPECT_EQ(u"Unknown nonterminal: <missing>", e.Message());
  }
  EXPECT_THROW(Match(*p, u"a", u"<nope>"), EGrammarError);
}

TEST(LL1ParserParse, UnknownCharacterClassIsAnInternalError) {
  auto p = Grammar({u"<s>-<*nope>"});
  EXPECT_THROW(Match(*p, u"x"), EAssertionFailed);
}

namespace {

// A state that records the letters matched by <letter>; the engine must
// restore it after every failed alternative.
class TTraceState : public TParseState {
 public:
  using TParseState::TParseState;
  void Assign(const TParseState& source) override {
    TParseState::Assign(source);
    Trace = static_cast<const TTraceState&>(source).Trace;
  }
  String Trace;
};

class TTraceParser : public TLL1Parser {
 public:
  TTraceParser() : TLL1Parser(StateClassOf<TTraceState>) {
    AddRule(u"<s>-<letter><letter>x|<letter>y");
    AddRule(u"<letter>-<*char>");
  }
  String Trace() const { return static_cast<const TTraceState&>(State()).Trace; }
  std::vector<String> Seen;

 protected:
  bool ParseNonterminal(const TRuleRef& ref) override {
    Seen.push_back(ref.Name);
    const int start = State().Position;
    const bool ok = TLL1Parser::ParseNonterminal(ref);
    if (ok && ref.Name == u"<letter>")
      static_cast<TTraceState&>(State()).Trace += Text()[static_cast<size_t>(start - 1)];
    return ok;
  }
};

}  // namespace

TEST(LL1ParserState, SnapshotsUndoWhatAFailedAlternativeRecorded) {
  TTraceParser p;
  int pos = 1;
  ASSERT_TRUE(p.Parse(u"abx", u"<s>", pos));
  // "<letter>y" is tried first: it matched "a", then failed on "b"; its "a"
  // was undone before the other alternative recorded "a" and "b".
  EXPECT_EQ(u"ab", p.Trace());
  EXPECT_EQ((std::vector<String>{u"<s>", u"<letter>", u"<letter>", u"<letter>"}), p.Seen);
}

TEST(LL1ParserLimits, DeepNestingFailsCleanlyInsteadOfOverflowingTheStack) {
  auto p = Grammar({u"<s>-(<s>)|x"});
  const auto nested = [](size_t n) { return String(n, u'(') + u"x" + String(n, u')'); };
  const String ok = nested(200);
  EXPECT_EQ(ok, Match(*p, ok));
  EXPECT_FALSE(p->DepthExceeded());

  const String deep = nested(1000000);
  int pos = 1;
  EXPECT_FALSE(p->Parse(deep, u"<s>", pos));
  EXPECT_TRUE(p->DepthExceeded());
  EXPECT_EQ(1, pos);

  // A small budget is honoured too, and the parser stays usable.
  p->SetStackBudget(16 * 1024);
  EXPECT_EQ(u"FAIL", Match(*p, nested(5000)));
  p->SetStackBudget(8u << 20);
  EXPECT_EQ(ok, Match(*p, ok));
}
