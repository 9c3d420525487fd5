// TFormParser: the grammar engine loaded with the grammar of one object block
// of a textual form file (.dfm/.nfm), from its keyword through its "end".
//
// While it parses, the parser records
//  - the header: keyword, component name and class name, as written;
//  - each property of the object itself, handed to the property-rule hook
//    ConvertProperty, which decides what is recorded for it (AddProperty);
//  - the text of each nested object, exactly as written, once (texts equal
//    without regard to case are kept once).
// Properties of nested objects are parsed but never handed to the hook.
// WriteObject then rebuilds the object's text from what was recorded, with
// TargetClass in the header.
//
// Everything recorded lives in the parser and its state (TFormParseState), so
// the engine's snapshots undo whatever a failed alternative recorded. A
// failed parse records nothing; WriteObject then gives "".
//
// Nested objects and values are matched once per position and remembered:
// the grammar would otherwise match the last nested object of every level
// twice, which doubles the work with each level of nesting. Their match
// depends on the text alone and leaves nothing behind but what this class's
// tracking records, which runs on every call.
//
// Departures from the bare object grammar, all so that valid forms convert
// instead of being cut short or rejected:
//  - the header may end in a child-order index, "object T: TTable [3]",
//    which WriteObject writes back after the new class name, and may lack the
//    component name ("inherited TLabel");
//  - collection items may be empty and carry an order ("item [2]");
//  - lists may hold values of any kind, and references more than two names;
//  - numbers may carry a type suffix: 0c (currency), 1.5s (single),
//    45000.5d (date), with sign, fraction and exponent;
//  - "end" closes an object or collection item only when no name character
//    follows it (a property named EndDate is a property), and not when an
//    "=" or "." follows it (a property named end is a property);
//  - inside quotes a string may hold any character but the apostrophe and
//    NUL, including those above code 255 (text decoded from Cyrillic or Greek
//    code pages);
//  - names (components, classes, properties, identifier values) may hold any
//    character from code 128 up, as Unicode identifiers do. Anywhere else
//    outside quotes such characters still fail the parse.
#pragma once

#include <functional>
#include <vector>

#include "grammar/LL1Parser.h"

namespace mirel {

class TFormParser;

/// The parse state of a form object. Views point into the text being parsed.
class TFormParseState : public TParseState {
 public:
  using TParseState::TParseState;

  /// Copies every field and then drops the owner's properties and nested
  /// objects recorded after the source state was taken.
  void Assign(const TParseState& source) override;
  /// Empties the header fields and the counts; Position, NestDepth and
  /// NestedStart are left alone.
  void Clear();

  int PropCount = 0;    ///< entries of the owner's Properties that belong to this state
  int TokenStart = 0;   ///< where the tracked nonterminal being matched began; 0: none
  StringView ObjType;   ///< class name of the parsed object, as written
  StringView PropName;  ///< property whose value is being matched; empty between properties
  StringView Keyword;   ///< object, inherited or inline, as written
  StringView ObjName;   ///< component name, as written
  StringView
      ChildPos;       ///< child-order index after the class name ("[3]"), as written; may be empty
  int NestDepth = 0;  ///< nested objects the parse is inside; 0 for the object itself
  int NestedCount = 0;  ///< entries of the owner's NestedObjects that belong to this state
  int NestedStart = 0;  ///< where the current outermost nested object's text begins; 0: none
  int FateCount = 0;    ///< entries of the owner's PropertyFates that belong to this state
};

/// One recorded property: the name to write and its value lines.
struct TRecordedProperty {
  String Name;
  std::vector<String> Values;
};

/// What the property rules made of one property of the object itself: the
/// properties recorded for it (none: it was dropped).
struct TPropertyFate {
  StringView Name;           ///< as written
  StringView Value;          ///< the value text as matched
  size_t Offset = 0;         ///< 0-based index of Name in the parsed text
  size_t FirstRecorded = 0;  ///< index of its first entry in Properties()
  size_t RecordedCount = 0;  ///< entries of Properties() recorded for it
};

/// Sets PropCount of a form parse state; lets property rules kept outside
/// TFormParser account for what they record.
class TFormParserUtils {
 public:
  static void SetPropCount(TFormParseState& state, int count) { state.PropCount = count; }
};

class TFormParser : public TLL1Parser {
 public:
  /// Answers a property value for the property rules: arguments are the
  /// property name and the value without its first and last character; an
  /// empty answer means nothing was found.
  using TLookupValueEvent = std::function<void(StringView name, StringView value, String& answer)>;

  /// Adds the form grammar. stateClass must create TFormParseState objects
  /// (or a subclass).
  explicit TFormParser(TParseStateClass stateClass = StateClassOf<TFormParseState>);

  /// The class name written in the header; ObjType when empty. Set before
  /// each parse.
  void SetTargetClass(StringView name) { target_class_ = String(name); }
  const String& TargetClass() const { return target_class_; }

  /// The new text of the object recorded by the last successful parse, at
  /// nesting depth `depth` (two spaces per level; a negative depth is taken
  /// as 0, the root's); "" after a failed parse.
  /// Every line ends in CR LF. Does not change what was recorded.
  virtual String WriteObject(int depth) const;

  /// Forgets the header, the properties and the nested objects.
  void Reset();

  /// The property-rule hook: called once per property of the object itself,
  /// in text order, with its name as written and its value text exactly as
  /// matched. Records zero or more properties with AddProperty; must not move
  /// the parse position, and must have no effect but what it records.
  ///
  /// The generic rules of this class (names and class names compared
  /// exactly; ObjType is the class as written in the form):
  ///  1. DatabaseName of a TDatabase: dropped.
  ///  2. DatabaseName of anything else: OnLookupValue is asked for the
  ///     database name (the value without its quotes); a non-empty answer is
  ///     recorded as Connection, else the property is dropped.
  ///  3. Params.Strings of a TDatabase: the login parameters USER NAME,
  ///     PASSWORD and SERVER NAME (first of each, name in any case) become
  ///     Username, Password and Server when their value is not empty.
  ///  4. DataSource of a TQuery: MasterSource.
  ///  5. ParamData of a TQuery, TStoredProc, TwwQuery or TwwStoredProc: kept.
  ///  6. IndexDefs: dropped.
  ///  7. Anything else: kept when TargetClass is not registered, when it
  ///     publishes the property's first dotted part, or for Left and Top;
  ///     otherwise dropped.
  virtual void ConvertProperty(StringView name, StringView value);

  TFormParseState& FormState() { return static_cast<TFormParseState&>(State()); }
  const TFormParseState& FormState() const { return static_cast<const TFormParseState&>(State()); }
  const std::vector<TRecordedProperty>& Properties() const { return properties_; }
  /// Views into the text of the last parse.
  const std::vector<StringView>& NestedObjects() const { return nested_objects_; }
  /// One entry per property handed to ConvertProperty in the last parse, in
  /// text order; views into the text of the last parse.
  const std::vector<TPropertyFate>& PropertyFates() const { return fates_; }

  TLookupValueEvent OnLookupValue;

 protected:
  /// Appends a property whose value lines are `value` split at CR LF, CR or
  /// LF (a final line break adds no empty line; "" gives no lines), and
  /// counts it in the current state.
  void AddProperty(StringView name, StringView value);

  /// The parameters of a string-list value such as ('USER NAME=sa' 'A=b'):
  /// the text inside the parentheses split into lines, each trimmed and
  /// stripped of its first and last character (the quotes).
  static std::vector<String> ParamList(StringView value);
  /// The part after '=' of the first parameter whose part before the first
  /// '=' is `name` without regard to case; "" when there is none.
  static String ParamValue(const std::vector<String>& params, StringView name);
  /// `value` without its first and last character ("" when shorter than 2).
  static StringView Unquoted(StringView value);

  TCharClass GetCharClass(StringView name) override;
  bool ParseNonterminal(const TRuleRef& ref) override;
  void BeforeParse() override;
  void AfterParse(bool& result) override;
  bool IsWordLiteral(StringView literal) const override;
  bool IsMemoRule(StringView name) const override;
  bool IsNameChar(char16_t c) const override;
  bool IsWordEnd(size_t pos) const override;

 private:
  friend class TFormParseState;
  enum class Tracked {
    None,
    ObjName,
    ObjType,
    FullPropName,
    PropValue,
    Keyword,
    NestedObj,
    Header
  };
  Tracked TrackedKind(int ruleIndex) const;

  String target_class_;
  std::vector<TRecordedProperty> properties_;
  std::vector<StringView> nested_objects_;
  std::vector<TPropertyFate> fates_;
  std::vector<Tracked> tracked_;  // by rule index, filled once the grammar is prepared
};

}  // namespace mirel
