#include "forms/FormParser.h"

#include <gtest/gtest.h>

#include "support/FormTestText.h"

using namespace mirel;
using mirel::testing::Crlf;
using mirel::testing::Joined;

namespace {

using Alts = std::vector<String>;

// A form parser that also remembers every call of the property hook.
class TRecordingParser : public TFormParser {
 public:
  struct Call {
    String Name, Value;
  };
  std::vector<Call> Calls;

  void ConvertProperty(StringView name, StringView value) override {
    Calls.push_back({String(name), String(value)});
    TFormParser::ConvertProperty(name, value);
  }
};

// Parses the object whose keyword is the first non-blank of `text`; returns
// the position after the parse, or 0 when it failed.
int ParseObject(TFormParser& p, StringView text, StringView target = u"") {
  int pos = static_cast<int>(text.find_first_not_of(u" \t\r\n")) + 1;
  p.SetTargetClass(target);
  return p.Parse(text, u"<object>", pos) ? pos : 0;
}

}  // namespace

TEST(FormGrammar, PreparedAlternativeOrders) {
  TFormParser p;
  p.Prepare();
  EXPECT_EQ((Alts{u"<obj_header><*delim>end<*delim>", u"<obj_header><*delim>end",
                  u"<obj_header><*delim><properties>end<*delim>",
                  u"<obj_header><*delim><properties>end"}),
            p.Alternatives(u"<object>"));
  EXPECT_EQ((Alts{u"<full_prop_name>=<prop_value><*delim>",
                  u"<full_prop_name>=<*delim><prop_value><*delim>",
                  u"<full_prop_name><*delim>=<prop_value><*delim>",
                  u"<full_prop_name><*delim>=<*delim><prop_value><*delim>"}),
            p.Alternatives(u"<prop>"));
  EXPECT_EQ((Alts{u"<prop><properties>", u"<prop>", u"<nested_obj><properties>", u"<nested_obj>"}),
            p.Alternatives(u"<properties>"));
  EXPECT_EQ(
      (Alts{u"<strings>", u"<string>", u"<string2>", u"<set>", u"<numeric_date>", u"<numbers>",
            u"<number>", u"<name>.<name>", u"<const>", u"<collection>", u"<binary>"}),
      p.Alternatives(u"<value>"));
  EXPECT_EQ((Alts{u"object", u"inline", u"inherited"}), p.Alternatives(u"<keyword>"));
  EXPECT_EQ((Alts{u"-", u"+"}), p.Alternatives(u"<sign>"));
  EXPECT_EQ(40u, p.RuleNames().size());
}

TEST(FormParserWrite, RewritesTheHeaderAndIndentsContinuationLines) {
  TFormParser p;
  const String text = Crlf(
      u"  object Query1: TQuery\n"
      u"    Left = 8\n"
      u"    SQL.Strings = (\n"
      u"      'select *'\n"
      u"      'from t')\n"
      u"  end\n");
  ASSERT_EQ(static_cast<int>(text.size()) + 1, ParseObject(p, text, u"TKyQuery"));
  const String expected = Crlf(
      u"  object Query1: TKyQuery\n"
      u"    Left = 8\n"
      u"    SQL.Strings = (\n"
      u"            'select *'\n"
      u"            'from t')\n"
      u"  end\n");
  EXPECT_EQ(expected, p.WriteObject(1));
  EXPECT_EQ(expected, p.WriteObject(1)) << "writing twice must give the same text";
  ASSERT_EQ(2u, p.Properties().size());
  EXPECT_EQ((std::vector<String>{u"(", u"      'select *'", u"      'from t')"}),
            p.Properties()[1].Values);
}

TEST(FormParserWrite, ObjectWithoutPropertiesAndKeywordsAsWritten) {
  TFormParser p;
  ASSERT_NE(0, ParseObject(p, u"object Database1: TDatabase\nend\n", u"TKyConnection"));
  EXPECT_EQ(u"object Database1: TKyConnection\r\nend\r\n", p.WriteObject(0));

  const String inherited = Crlf(
      u"INHERITED Form2: TForm2\n"
      u"  object Inner: TPanel\n"
      u"  end\n"
      u"end\n");
  ASSERT_NE(0, ParseObject(p, inherited));
  EXPECT_EQ(Crlf(u"INHERITED Form2: TForm2\n  object Inner: TPanel\n  end\nend\n"),
            p.WriteObject(0));

  ASSERT_NE(0, ParseObject(p, u"inline Frame1 : TFrame1 end"));
  EXPECT_EQ(u"inline Frame1: TFrame1\r\nend\r\n", p.WriteObject(0));
}

TEST(FormParserWrite, ADepthBelowTheRootsIsWrittenAsTheRoot) {
  // A caller's depth count gone wrong once asked for a negative indentation
  // and got an exception from the string instead of the object.
  TFormParser p;
  ASSERT_NE(0, ParseObject(p, u"object Q: TQuery\n  Tag = 1\nend\n", u"TKyQuery"));
  EXPECT_EQ(Crlf(u"object Q: TKyQuery\n  Tag = 1\nend\n"), p.WriteObject(-1));
  EXPECT_EQ(p.WriteObject(0), p.WriteObject(-1000));
}

TEST(FormParserTracking, NestedObjectsAreKeptVerbatimAndTheirPropertiesNeverConverted) {
  TRecordingParser p;
  const String text =
      u"object Form1: TForm1\n"
      u"  Caption = 'Main'\n"
      u"  object Panel1: TPanel\n"
      u"    Left = 1\r\n"
      u"\tobject Query1: TQuery\n"
      u"      SQL.Strings = ('x')\n"
      u"    end\n"
      u"  end\n"
      u"  object PANEL1: TPanel\n"
      u"    left = 1\r\n"
      u"\tobject query1: TQuery\n"
      u"      SQL.Strings = ('X')\n"
      u"    end\n"
      u"  end\n"
      u"  Tag = 7\n"
      u"end\n";
  ASSERT_NE(0, ParseObject(p, text));
  // Equal without regard to case: written once.
  ASSERT_EQ(1u, p.NestedObjects().size());
  EXPECT_EQ(
      u"  object Panel1: TPanel\n    Left = 1\r\n\tobject Query1: TQuery\n"
      u"      SQL.Strings = ('x')\n    end\n  end",
      p.NestedObjects()[0]);
  std::vector<String> names;
  for (const auto& prop : p.Properties()) names.push_back(prop.Name);
  EXPECT_EQ((std::vector<String>{u"Caption", u"Tag"}), names);
  for (const auto& c : p.Calls) EXPECT_NE(u"left", LowerCase(c.Name));
  EXPECT_EQ(u"Form1", String(p.FormState().ObjName));
  EXPECT_EQ(u"TForm1", String(p.FormState().ObjType));
}

TEST(FormParserTracking, ConsumesTheLineBreakAndIndentAfterEnd) {
  TFormParser p;
  const String text = u"  object Q: TQuery\r\n  end\r\n    object Next: TTable\r\n";
  const int after = ParseObject(p, text);
  ASSERT_NE(0, after);
  EXPECT_EQ(u"object Next: TTable\r\n", text.substr(static_cast<size_t>(after - 1)));
}

TEST(FormParserTracking, ValueTextsAreHandedOverExactlyAsWritten) {
  TRecordingParser p;
  const String text = Crlf(
      u"object C: TADOConnection\n"
      u"  ConnectionString = \n"
      u"    'Data Source=s;Integrated Secur' +\n"
      u"    'ity=SSPI'\n"
      u"  Params.Strings = (\n"
      u"    'USER NAME=sa')\n"
      u"  Options = [loOne, loTwo]\n"
      u"  When = 45000d\n"
      u"  Ratio = -1.5e+3\n"
      u"  Ref = Form1.Database1\n"
      u"  Data = {\n"
      u"    0A1B2C}\n"
      u"  Items = <\n"
      u"    item\n"
      u"      Name = 'a'\n"
      u"    end>\n"
      u"  S = 'it''s'#13#10'x'\n"
      u"  A = 1\n"
      u"  B = 1\n"
      u"end\n");
  ASSERT_NE(0, ParseObject(p, text));
  const std::vector<std::pair<String, String>> expected = {
      {u"ConnectionString", u" \r\n    'Data Source=s;Integrated Secur' +\r\n    'ity=SSPI'"},
      {u"Params.Strings", u"(\r\n    'USER NAME=sa')"},
      {u"Options", u"[loOne, loTwo]"},
      {u"When", u"45000d"},
      {u"Ratio", u"-1.5e+3"},
      {u"Ref", u"Form1.Database1"},
      {u"Data", u"{\r\n    0A1B2C}"},
      {u"Items", u"<\r\n    item\r\n      Name = 'a'\r\n    end>"},
      {u"S", u"'it''s'#13#10'x'"},
      {u"A", u"1"},
      {u"B", u"1"},  // same value as A: recorded separately
  };
  ASSERT_EQ(expected.size(), p.Properties().size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].first, p.Properties()[i].Name);
    String joined;
    for (size_t k = 0; k < p.Properties()[i].Values.size(); ++k)
      joined += (k ? u"\r\n" : u"") + p.Properties()[i].Values[k];
    EXPECT_EQ(expected[i].second, joined) << ToUtf8(expected[i].first);
  }
  // The hook may have been asked more often than properties were kept (a
  // property matched by an alternative that failed later is undone), but
  // what is recorded holds each property once, in text order.
  EXPECT_GE(p.Calls.size(), expected.size());
}

TEST(FormParserTracking, AFailedParseRecordsNothing) {
  TFormParser p;
  ASSERT_NE(0, ParseObject(p, u"object A: TQuery\n  Tag = 1\nend\n"));
  EXPECT_EQ(0, ParseObject(p, u"object A: TQuery\n  Tag = \n"));
  EXPECT_TRUE(p.Properties().empty());
  EXPECT_EQ(u"", p.WriteObject(0));
}

TEST(FormParserText, CharactersAbove255PassInQuotesAndNamesOnly) {
  TFormParser p;
  const String cyrillic = u"\u0412\u044b\u0431\u043e\u0440\u043a\u0430";  // "Выборка"
  const String quoted =
      u"object Q: TQuery\n  SQL.Strings = (\n    'select ''" + cyrillic + u"'' from t')\nend\n";
  ASSERT_NE(0, ParseObject(p, quoted, u"TKyQuery"));
  EXPECT_EQ(u"    'select ''" + cyrillic + u"'' from t')", p.Properties()[0].Values[1]);

  // Unicode identifiers: a component, a property and an identifier value.
  const String names =
      u"object btnL\u00f6schen: TButton\n  " + cyrillic + u" = " + cyrillic + u"\n  Tag = 1\nend\n";
  ASSERT_NE(0, ParseObject(p, names));
  EXPECT_EQ(u"btnL\u00f6schen", String(p.FormState().ObjName));
  EXPECT_EQ(cyrillic, p.Properties()[0].Name);

  for (const String& bad :
       std::vector<String>{u"1" + cyrillic, u"{0A" + cyrillic + u"}", u"[a, 1" + cyrillic + u"]",
                           u"(1 2\u0412)", u"'a'\u00e9"}) {
    EXPECT_EQ(0, ParseObject(p, u"object Q: TQuery\n  Tag = " + bad + u"\nend\n")) << ToUtf8(bad);
  }
  EXPECT_EQ(0, ParseObject(p, String(u"object Q: TQuery\n  S = 'a") + u'\0' + u"b'\nend\n"));
}

TEST(FormParserText, PropertiesBeginningWithEndOrItemAreNotMistakenForKeywords) {
  TFormParser p;
  const String text = Crlf(
      u"object T: TTable\n"
      u"  EndDate = 45000d\n"
      u"  endOfLine = True\n"
      u"  end\u00e9 = 1\n"
      u"  Items = <\n"
      u"    item\n"
      u"      EndValue = 3\n"
      u"      ItemIndex = 1\n"
      u"    end>\n"
      u"  Tag = 2\n"
      u"end\n");
  ASSERT_EQ(static_cast<int>(text.size()) + 1, ParseObject(p, text, u"TKyTable"));
  std::vector<String> names;
  for (const auto& prop : p.Properties()) names.push_back(prop.Name);
  EXPECT_EQ((std::vector<String>{u"EndDate", u"endOfLine", u"end\u00e9", u"Items", u"Tag"}), names);
}

TEST(FormParserLimits, HugeInputEndsInACleanResult) {
  TFormParser p;
  String deep;
  const int levels = 100000;
  for (int i = 0; i < levels; ++i) deep += u"object A: TPanel\n";
  for (int i = 0; i < levels; ++i) deep += u"end\n";
  EXPECT_EQ(0, ParseObject(p, deep));
  EXPECT_TRUE(p.DepthExceeded());
  EXPECT_EQ(u"", p.WriteObject(0));

  // A 100 MB string value: one run of characters, no recursion to speak of.
  String big = u"object Q: TQuery\n  Huge = '";
  big.append(100u << 20, u'x');
  big += u"'\n  Tag = 1\nend\n";
  ASSERT_EQ(static_cast<int>(big.size()) + 1, ParseObject(p, big));
  ASSERT_EQ(2u, p.Properties().size());
  EXPECT_EQ((100u << 20) + 2, p.Properties()[0].Values[0].size());
  EXPECT_EQ(u"Tag", p.Properties()[1].Name);
}

TEST(FormParserLimits, WorkGrowsLinearlyWithTheSizeOfAnObject) {
  const auto calls = [](int props) {
    String text = u"object Q: TQuery\n";
    for (int i = 0; i < props; ++i) text += u"  P" + IntToStr(i) + u" = 'v'\n";
    text += u"  object F: TField\n  end\nend\n";
    TFormParser p;
    EXPECT_NE(0, ParseObject(p, text));
    return p.CallCount();
  };
  const long long small = calls(100), large = calls(400);
  EXPECT_LT(large, small * 5);  // four times the properties, about four times the work
  EXPECT_GT(large, small * 3);
}

namespace {

String NestedChain(int levels, bool closed) {
  String s;
  for (int i = 0; i < levels; ++i)
    s += String(static_cast<size_t>(i) * 2, u' ') + u"object P" + IntToStr(i) + u": TPanel\n" +
         String(static_cast<size_t>(i) * 2 + 2, u' ') + u"Left = " + IntToStr(i) + u"\n";
  for (int i = levels - 1; i >= (closed ? 0 : 1); --i)
    s += String(static_cast<size_t>(i) * 2, u' ') + u"end\n";
  return s;
}

}  // namespace

TEST(FormParserLimits, NestingCostsLinearWorkWhetherTheObjectParsesOrNot) {
  for (bool closed : {true, false}) {
    TFormParser p;
    const auto calls = [&](int levels) {
      const String text = NestedChain(levels, closed);
      EXPECT_EQ(closed, ParseObject(p, text) != 0);
      return p.CallCount();
    };
    const long long c15 = calls(15), c30 = calls(30);
    EXPECT_LT(c30, c15 * 3) << (closed ? "well-formed" : "missing end");
  }
}

TEST(FormParserLimits, MemoAndLookaheadChangeNoResult) {
  const String corpus[] = {
      NestedChain(6, true),
      NestedChain(6, false),
      u"object Q: TQuery\n  object F: TField\n    Tag = 1\n  end\n  Tag = 2\n"
      u"  object F: TField\n    Tag = 1\n  end\n  object G: TField\n  end\nend\n",
      u"object Q: TQuery\n  object F: TField\n  Tag = 2\nend\n",
      u"inherited Q: TQuery [2]\n  Tag = 1\nend\n",
      u"object Q: TQuery\n  EndField = 1\n  object E: TField\n    EndX = <\n      item\n"
      u"        EndY = 2\n      end>\n  end\nend   \n\t object Next: TX\n",
      u"object Q: TQuery\n  L = (1 'a' +\n    'b' x.y.z (2s [c]))\n  S = 'a'#13 + 'b'\n  D = "
      u"{00ff}\n"
      u"  C = <\n    item [2]\n    end>\n  inherited TLabel\n  end\nend\n",
  };
  for (const String& text : corpus) {
    TRecordingParser with, without;
    without.SetMemoization(false);
    without.SetLookahead(false);
    const int a = ParseObject(with, text, u"TNew"), b = ParseObject(without, text, u"TNew");
    EXPECT_EQ(b, a) << ToUtf8(text);
    EXPECT_EQ(without.WriteObject(2), with.WriteObject(2)) << ToUtf8(text);
    EXPECT_EQ(without.NestedObjects(), with.NestedObjects());
    ASSERT_EQ(without.Calls.size(), with.Calls.size());
    for (size_t i = 0; i < with.Calls.size(); ++i) {
      EXPECT_EQ(without.Calls[i].Name, with.Calls[i].Name);
      EXPECT_EQ(without.Calls[i].Value, with.Calls[i].Value);
    }
  }
}
