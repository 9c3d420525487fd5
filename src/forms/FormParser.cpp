#include "forms/FormParser.h"

#include <algorithm>

#include "rtl/Classes.h"

namespace mirel {

namespace {

// The grammar of one object block of a form file.
constexpr const char16_t* kFormGrammar[] = {
    u"<obj_header>-<keyword><*delim><obj_name><empty_delim>:<empty_delim><obj_type>",
    u"<obj_name>-<name>",
    u"<obj_type>-<name>",
    u"<object>-<obj_header><*delim><properties>end<empty_delim>|<obj_header><*delim>end<empty_"
    u"delim>",
    u"<keyword>-object|inherited|inline",
    u"<name>-<*char><char_or_digit_l>",
    u"<char_or_digit_l>-<*chars_or_digits>|",
    u"<properties>-<prop>|<nested_obj>|<prop><properties>|<nested_obj><properties>",
    u"<nested_obj>-<object>",
    u"<prop>-<full_prop_name><empty_delim>=<empty_delim><prop_value><*delim>",
    u"<full_prop_name>-<prop_name>",
    u"<prop_value>-<value>",
    u"<prop_name>-<name>|<name>.<prop_name>",
    u"<empty_delim>-<*delim>|",
    u"<value>-<numeric_date>|<number>|<const>|<string>|<string2>|<strings>|<numbers>|<set>|"
    u"<collection>|<binary>|<name>.<name>",
    u"<sign>-+|-|",
    u"<int>-<sign><*digits>",
    u"<fixed_point>-<int>.<*digits>",
    u"<float>-<fixed_point>e<int>|<int>e<int>",
    u"<number>-<sign><*digits>.<*digits>e<int>|<sign><*digits>e<int>|<sign><*digits>.<*digits>|"
    u"<sign><*digits>",
    u"<numeric_date>-<*digits>d",
    u"<symbols>-<*symbols>|",
    u"<byte>-#<*digits>",
    u"<bytes>-<byte>|<byte><bytes>",
    u"<string>-'<symbols>'|<bytes>|<bytes><string>|'<symbols>'<string>",
    u"<string2>-<string>|<empty_delim><string><empty_delim>+<empty_delim><string2>",
    u"<const>-<name>",
    u"<number_list>-<number>|<number><*delim><number_list>|",
    u"<numbers>-(<empty_delim><number_list><empty_delim>)",
    u"<string_list>-<string2>|<string2><*delim><string_list>|",
    u"<strings>-(<empty_delim><string_list><empty_delim>)",
    u"<set_items>-<name>|<name><empty_delim>,<empty_delim><set_items>",
    u"<set>-[<empty_delim>]|[<empty_delim><set_items><empty_delim>]",
    u"<item_prop>-<prop_name><empty_delim>=<empty_delim><value>",
    u"<item_props>-<item_prop><*delim><item_props>|<item_prop><*delim>|<*delim>",
    u"<col_item>-item<*delim><item_props>end",
    u"<col_items>-<col_item><*delim><col_items>|<col_item>|",
    u"<collection>-\\60<empty_delim><col_items><empty_delim>\\62",
    u"<binary>-{<empty_delim><hex_list><empty_delim>}",
    u"<hex_list>-<*hexs>|<*hexs><*delim><hex_list>|",
};

// Constructs that real forms (and forms converted from binary) hold but the
// rules above reject, added as further alternatives of existing rules so that
// everything accepted before is accepted as before:
//  - the child-order index that inherited forms write after the class name
//    ("object Table1: TTable [3]"), and the order of a collection item
//    ("item [2]");
//  - objects without a name ("inherited TLabel"), tried after named ones;
//  - collection items without properties ("item" directly followed by "end");
//  - numbers typed by a suffix: currency (c), single (s) and date (d);
//  - lists holding values of any kind, mixed and nested, not only numbers;
//  - references of more than two dotted names (Form1.Frame1.Button1), as a
//    value followed by more dotted names.
constexpr const char16_t* kFormGrammarAdditions[] = {
    u"<obj_header>-<keyword><*delim><obj_name><empty_delim>:<empty_delim><obj_type>"
    u"<empty_delim>[<int>]|"
    u"<keyword><*delim><name>|<keyword><*delim><name><empty_delim>[<int>]",
    u"<col_item>-item<*delim>end|"
    u"item<empty_delim>[<int>]<*delim><item_props>end|"
    u"item<empty_delim>[<int>]<*delim>end",
    u"<number_list>-<value>|<value><*delim><number_list>|"
    u"<value><empty_delim>+<empty_delim><string2>|"
    u"<value><empty_delim>+<empty_delim><string2><*delim><number_list>|"
    u"<value>.<prop_name>|<value>.<prop_name><*delim><number_list>",
    u"<prop_value>-<value>.<prop_name>",
    u"<item_prop>-<prop_name><empty_delim>=<empty_delim><value>.<prop_name>",
    u"<number>-<sign><*digits>.<*digits>e<int>c|<sign><*digits>e<int>c|<sign><*digits>.<*digits>c|"
    u"<sign><*digits>c|"
    u"<sign><*digits>.<*digits>e<int>s|<sign><*digits>e<int>s|<sign><*digits>.<*digits>s|"
    u"<sign><*digits>s|"
    u"<sign><*digits>.<*digits>e<int>d|<sign><*digits>e<int>d|<sign><*digits>.<*digits>d|"
    u"<sign><*digits>d",
};

bool IsDelim(char16_t c) {
  return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

StringView Span(StringView text, int from, int to) {  // 1-based, [from, to)
  return text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
}

}  // namespace

void TFormParseState::Assign(const TParseState& source) {
  TParseState::Assign(source);
  const auto& s = static_cast<const TFormParseState&>(source);
  TokenStart = s.TokenStart;
  ObjType = s.ObjType;
  PropName = s.PropName;
  Keyword = s.Keyword;
  ObjName = s.ObjName;
  ChildPos = s.ChildPos;
  PropCount = s.PropCount;
  NestDepth = s.NestDepth;
  NestedCount = s.NestedCount;
  NestedStart = s.NestedStart;
  FateCount = s.FateCount;
  auto* owner = static_cast<TFormParser*>(Owner());
  if (owner->properties_.size() > static_cast<size_t>(PropCount))
    owner->properties_.resize(static_cast<size_t>(PropCount));
  if (owner->nested_objects_.size() > static_cast<size_t>(NestedCount))
    owner->nested_objects_.resize(static_cast<size_t>(NestedCount));
  if (owner->fates_.size() > static_cast<size_t>(FateCount))
    owner->fates_.resize(static_cast<size_t>(FateCount));
}

void TFormParseState::Clear() {
  Keyword = {};
  ObjName = {};
  ObjType = {};
  PropName = {};
  ChildPos = {};
  TokenStart = 0;
  PropCount = 0;
  NestedCount = 0;
  FateCount = 0;
}

TFormParser::TFormParser(TParseStateClass stateClass) : TLL1Parser(stateClass) {
  for (const char16_t* rule : kFormGrammar) AddRule(rule);
  for (const char16_t* rule : kFormGrammarAdditions) AddRule(rule);
}

TCharClass TFormParser::GetCharClass(StringView name) {
  if (name == u"<*delim>") {
    TCharClass cls;
    for (char16_t c : {u'\t', u'\n', u'\r', u' '}) cls.Chars.set(c);
    return cls;
  }
  TCharClass cls = TLL1Parser::GetCharClass(name);
  // Quoted string pieces are the only place runs of symbols occur; they may
  // hold any character a code page decodes to.
  if (name == u"<*symbols>") cls.Wide = true;
  // Names may hold non-ASCII letters, as identifiers may since the IDE went
  // Unicode; a form converted from binary writes them as they are.
  if (name == u"<*char>" || name == u"<*chars_or_digits>") {
    for (size_t c = 0x80; c < 0x100; ++c) cls.Chars.set(c);
    cls.Wide = true;
  }
  return cls;
}

bool TFormParser::IsNameChar(char16_t c) const {
  return c >= 0x80 || TLL1Parser::IsNameChar(c);
}

bool TFormParser::IsWordEnd(size_t pos) const {
  if (!TLL1Parser::IsWordEnd(pos)) return false;
  const StringView text = Text();
  while (pos < text.size() && IsDelim(text[pos])) ++pos;
  return pos >= text.size() || (text[pos] != u'=' && text[pos] != u'.');
}

bool TFormParser::IsWordLiteral(StringView literal) const {
  return literal == u"end" || literal == u"item";
}

bool TFormParser::IsMemoRule(StringView name) const {
  // Rules tried again and again at one position by the alternatives around
  // them (the many spellings of a header, a value that may go on with dotted
  // names). None holds a nonterminal this class tracks, and the tracking of
  // the rule itself runs on every call, remembered or not.
  return name == u"<nested_obj>" || name == u"<value>" || name == u"<keyword>" ||
         name == u"<obj_name>" || name == u"<obj_type>" || name == u"<full_prop_name>" ||
         name == u"<string>";
}

TFormParser::Tracked TFormParser::TrackedKind(int ruleIndex) const {
  return ruleIndex >= 0 && static_cast<size_t>(ruleIndex) < tracked_.size()
             ? tracked_[static_cast<size_t>(ruleIndex)]
             : Tracked::None;
}

void TFormParser::BeforeParse() {
  if (tracked_.empty()) {
    tracked_.assign(RuleNames().size(), Tracked::None);
    const std::pair<const char16_t*, Tracked> names[] = {
        {u"<obj_name>", Tracked::ObjName},
        {u"<obj_type>", Tracked::ObjType},
        {u"<full_prop_name>", Tracked::FullPropName},
        {u"<prop_value>", Tracked::PropValue},
        {u"<keyword>", Tracked::Keyword},
        {u"<nested_obj>", Tracked::NestedObj},
        {u"<obj_header>", Tracked::Header},
    };
    for (const auto& [name, kind] : names) {
      const int i = RuleIndex(name);
      if (i >= 0) tracked_[static_cast<size_t>(i)] = kind;
    }
  }
  Reset();
  // A parse that was abandoned (too deep, or an exception) may have left the
  // nesting fields set; every parse starts outside any nested object.
  FormState().NestDepth = 0;
  FormState().NestedStart = 0;
}

void TFormParser::AfterParse(bool& result) {
  if (!result) Reset();
}

void TFormParser::Reset() {
  FormState().Clear();
  properties_.clear();
  nested_objects_.clear();
  fates_.clear();
}

bool TFormParser::ParseNonterminal(const TRuleRef& ref) {
  const Tracked kind = TrackedKind(ref.Index);
  if (kind == Tracked::None) return TLL1Parser::ParseNonterminal(ref);

  TFormParseState& s = FormState();
  const StringView text = Text();
  if (kind == Tracked::NestedObj) {
    if (++s.NestDepth == 1) {
      s.NestedStart = s.Position;
      while (s.NestedStart > 1 && text[static_cast<size_t>(s.NestedStart - 2)] == u' ')
        --s.NestedStart;
    }
    const bool matched = TLL1Parser::ParseNonterminal(ref);
    --s.NestDepth;
    if (matched && s.NestDepth == 0) {
      int e = s.Position;
      while (e > 1 && IsDelim(text[static_cast<size_t>(e - 2)])) --e;
      const StringView nested = Span(text, s.NestedStart, e);
      const bool seen = std::any_of(nested_objects_.begin(), nested_objects_.end(),
                                    [&](StringView t) { return SameText(t, nested); });
      // NestedCount counts the recorded entries, so that restoring a snapshot
      // removes exactly what was recorded after it.
      if (!seen) {
        nested_objects_.push_back(nested);
        ++s.NestedCount;
      }
      s.NestedStart = 0;
    }
    return matched;
  }

  if (kind == Tracked::Header) {
    if (!TLL1Parser::ParseNonterminal(ref)) return false;
    if (s.NestDepth == 0 && !s.Keyword.empty()) {
      const size_t to = static_cast<size_t>(s.Position - 1);
      size_t from = static_cast<size_t>(s.Keyword.data() + s.Keyword.size() - text.data());
      if (s.ObjType.empty()) {  // an object without a name: the class follows the keyword
        while (from < to && IsDelim(text[from])) ++from;
        size_t end = from;
        while (end < to && !IsDelim(text[end]) && text[end] != u'[') ++end;
        s.ObjType = text.substr(from, end - from);
      }
      // Whatever follows the class name in the header is its child-order index.
      from = static_cast<size_t>(s.ObjType.data() + s.ObjType.size() - text.data());
      while (from < to && IsDelim(text[from])) ++from;
      s.ChildPos = text.substr(from, to - from);
    }
    return true;
  }

  s.TokenStart = s.Position;
  if (!TLL1Parser::ParseNonterminal(ref)) return false;
  MIREL_ASSERT(s.TokenStart != 0);
  const StringView matched = Span(text, s.TokenStart, s.Position);
  const bool outer = s.NestDepth == 0;
  switch (kind) {
    case Tracked::ObjName:
      if (outer) s.ObjName = matched;
      break;
    case Tracked::ObjType:
      if (outer) s.ObjType = matched;
      break;
    case Tracked::FullPropName:
      s.PropName = matched;
      break;
    case Tracked::PropValue:
      if (!s.PropName.empty()) {
        if (outer) {
          const size_t before = properties_.size();
          ConvertProperty(s.PropName, matched);
          fates_.push_back({s.PropName, matched,
                            static_cast<size_t>(s.PropName.data() - text.data()), before,
                            properties_.size() - before});
          ++FormState().FateCount;
        }
        FormState().PropName = {};
      }
      break;
    case Tracked::Keyword:
      if (outer) s.Keyword = matched;
      break;

    default:
      break;
  }
  FormState().TokenStart = 0;
  return true;
}

StringView TFormParser::Unquoted(StringView value) {
  return value.size() < 2 ? StringView() : value.substr(1, value.size() - 2);
}

std::vector<String> TFormParser::ParamList(StringView value) {
  std::vector<String> params;
  const StringView inner = Unquoted(value);
  size_t i = 0;
  while (i < inner.size()) {
    size_t j = i;
    while (j < inner.size() && inner[j] != u'\r' && inner[j] != u'\n') ++j;
    params.push_back(String(Unquoted(Trim(inner.substr(i, j - i)))));
    if (j < inner.size() && inner[j] == u'\r') ++j;
    if (j < inner.size() && inner[j] == u'\n') ++j;
    i = j;
  }
  return params;
}

String TFormParser::ParamValue(const std::vector<String>& params, StringView name) {
  for (const String& p : params) {
    const size_t eq = p.find(u'=');
    if (eq != String::npos && SameText(StringView(p).substr(0, eq), name)) return p.substr(eq + 1);
  }
  return String();
}

void TFormParser::ConvertProperty(StringView name, StringView value) {
  const StringView type = FormState().ObjType;
  if (name == u"DatabaseName") {
    if (type == u"TDatabase") return;
    if (!OnLookupValue) return;
    String answer;
    OnLookupValue(u"DatabaseName", Unquoted(value), answer);
    if (!answer.empty()) AddProperty(u"Connection", answer);
    return;
  }
  if (name == u"Params.Strings" && type == u"TDatabase") {
    const std::vector<String> params = ParamList(value);
    const std::pair<const char16_t*, const char16_t*> login[] = {
        {u"USER NAME", u"Username"}, {u"PASSWORD", u"Password"}, {u"SERVER NAME", u"Server"}};
    for (const auto& [param, property] : login) {
      const String v = ParamValue(params, param);
      if (!v.empty()) AddProperty(property, u"'" + v + u"'");
    }
    return;
  }
  if (name == u"DataSource" && type == u"TQuery") {
    if (!value.empty()) AddProperty(u"MasterSource", value);
    return;
  }
  if (name == u"ParamData" && (type == u"TQuery" || type == u"TStoredProc" || type == u"TwwQuery" ||
                               type == u"TwwStoredProc")) {
    if (!value.empty()) AddProperty(u"ParamData", value);
    return;
  }
  if (name == u"IndexDefs") return;

  const TClassInfo* target = GetClass(target_class_);
  if (target == nullptr) {
    AddProperty(name, value);
    return;
  }
  const StringView base = name.substr(0, std::min(name.find(u'.'), name.size()));
  if (GetPropInfo(*target, base) || name == u"Left" || name == u"Top") AddProperty(name, value);
}

void TFormParser::AddProperty(StringView name, StringView value) {
  TRecordedProperty prop{String(name), {}};
  size_t i = 0;
  while (i < value.size()) {
    size_t j = i;
    while (j < value.size() && value[j] != u'\r' && value[j] != u'\n') ++j;
    prop.Values.emplace_back(value.substr(i, j - i));
    if (j < value.size() && value[j] == u'\r') ++j;
    if (j < value.size() && value[j] == u'\n') ++j;
    i = j;
  }
  properties_.push_back(std::move(prop));
  TFormParserUtils::SetPropCount(FormState(), FormState().PropCount + 1);
}

String TFormParser::WriteObject(int depth) const {
  const TFormParseState& s = FormState();
  if (s.Keyword.empty() || s.ObjType.empty()) return String();
  // Indentation only: a depth below the root's would ask for a string of
  // negative length.
  const String outer(static_cast<size_t>(depth > 0 ? depth : 0) * 2, u' ');
  const String inner = outer + u"  ";
  const String continuation = inner + u"  ";

  String out;
  out += outer;
  out += s.Keyword;
  out += u' ';
  if (!s.ObjName.empty()) {
    out += s.ObjName;
    out += u": ";
  }
  out += target_class_.empty() ? String(s.ObjType) : target_class_;
  if (!s.ChildPos.empty()) {
    out += u' ';
    out += s.ChildPos;
  }
  out += u"\r\n";
  for (const TRecordedProperty& prop : properties_) {
    out += inner;
    out += prop.Name;
    out += u" = ";
    for (size_t i = 0; i < prop.Values.size(); ++i) {
      if (i > 0) {
        out += u"\r\n";
        out += continuation;
      }
      out += prop.Values[i];
    }
    out += u"\r\n";
  }
  for (StringView nested : nested_objects_) {
    out += nested;
    out += u"\r\n";
  }
  out += outer;
  out += u"end\r\n";
  return out;
}

}  // namespace mirel
