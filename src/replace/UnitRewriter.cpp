// The Pascal side of TComponentReplacer: rewriting the uses clauses and the
// class identifiers of a unit or project file, and finding the form file its
// resource directive names.
#include <unordered_set>

#include "files/Paths.h"
#include "pascal/PasParser.h"
#include "replace/ConversionNotes.h"
#include "replace/Replacer.h"
#include "rtl/TextEdits.h"

namespace mirel {

namespace {

// Characters of a unit or file name in a resource directive: letters (the
// Latin-1 letters and everything above them included), digits, underscore.
// Digits matter: Unit1.dfm and Form2.dfm are the names the IDE gives.
bool IsNameChar(char16_t c) {
  if (c < 0x80) {
    const char16_t l = AsciiLower(c);
    return (l >= u'a' && l <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
  }
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

bool StartsWith(StringView s, StringView prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The unit names of one uses clause, upper-cased: the clause that begins at
// the start of text, up to its ";" (or the end of the text). Dotted names
// give each of their parts; "in" and the paths of a project file are no
// unit names but cannot hide one either.
std::unordered_set<String> ClauseUnitNames(StringView text) {
  std::unordered_set<String> names;
  TPasParser lexer{String(text)};
  StringView lexem;
  for (int code; (code = lexer.GetNext(lexem)) != LexEnd && code != LexSemicolon;)
    if (code == LexIdent) names.insert(UpperCase(lexem));
  return names;
}

// What follows the source unit in a uses clause: the target units that
// names does not hold yet, each with its comma (names gains them). The
// target-units text as it stands when every one is missing, so a first run
// writes exactly that text.
String MissingTargetUnits(StringView targetUnits, std::unordered_set<String>& names) {
  String missing;
  bool all = true;
  size_t start = 0;
  while (start <= targetUnits.size()) {
    size_t comma = targetUnits.find(u',', start);
    if (comma == StringView::npos) comma = targetUnits.size();
    const String name = Trim(targetUnits.substr(start, comma - start));
    start = comma + 1;
    if (name.empty()) continue;
    if (names.insert(UpperCase(name)).second)
      missing += u", " + name;
    else
      all = false;
  }
  return all ? String(targetUnits) : missing;
}

// Whether name is one of the class names a unit declares itself (kept holds
// them upper-cased).
bool IsKept(const std::unordered_set<String>& kept, StringView name) {
  return !kept.empty() && kept.count(UpperCase(name)) != 0;
}

}  // namespace

void TComponentReplacer::ProcessUnit(const TTextFile& unit, const String& sourceFile,
                                     const String& outputFile) {
  TFileConversion conversion;
  ConvertUnit(unit, sourceFile, conversion);
  ApplyConversion(conversion, outputFile);
}

void TComponentReplacer::ConvertUnit(const TTextFile& unit, const String& sourceFile,
                                     TFileConversion& conversion) const {
  // A unit may declare a class of a mapped name itself (a data module called
  // TTable): that class is not the library's, and renaming it would make it
  // clash with the target class. Such declarations are rare and may come
  // after the name's first use, so the unit is rewritten once more, keeping
  // those names, only when one was found.
  std::vector<String> declared;
  TFileConversion pass;
  std::map<String, int>* names = conversion.Report ? &conversion.Report->MappedNames : nullptr;
  int count = RewriteUnit(unit, sourceFile, {}, pass, declared, names);
  std::unordered_set<String> kept;
  if (!declared.empty()) {
    for (const String& name : declared)
      if (kept.insert(UpperCase(name)).second)
        conversion.LogLines.push_back(OwnClassKeptNote(name));
    pass = TFileConversion();
    declared.clear();
    if (names) names->clear();
    count = RewriteUnit(unit, sourceFile, kept, pass, declared, names);
  }
  conversion.FormFiles.insert(conversion.FormFiles.end(), pass.FormFiles.begin(),
                              pass.FormFiles.end());
  conversion.Changed = pass.Changed;
  conversion.Output = std::move(pass.Output);
  if (!unit.HasPreamble && LooksLikeUnmarkedUtf16(unit.Text))
    conversion.LogLines.push_back(UnmarkedUtf16Note(*unit.Encoding));
  conversion.LogLines.push_back(ChangesText(count));
  if (conversion.Report) {
    conversion.Report->Kind = TReportFileKind::Unit;
    conversion.Report->Encoding = unit.Encoding->Name();
    if (follow_up_rules_)
      conversion.Report->FollowUps =
          FindFollowUps(unit.Text, *follow_up_rules_, [&](StringView name) -> const String* {
            return IsKept(kept, name) ? nullptr : FindTargetClass(name);
          });
  }
}

int TComponentReplacer::RewriteUnit(const TTextFile& unit, const String& sourceFile,
                                    const std::unordered_set<String>& kept,
                                    TFileConversion& conversion, std::vector<String>& declared,
                                    std::map<String, int>* names) const {
  TPasParser lexer(unit.Text);
  TTextEdits edits;
  int count = 0;
  bool inUses = false;
  size_t usesPos = 0;  // where the clause we are in begins
  // The units its clause names, once the source unit was met in it: a
  // target unit already there (a run over a migrated unit, or one that
  // names the source units of both profiles) is not added again.
  std::unordered_set<String> clauseNames;
  bool clauseScanned = false;
  // How far "Name = class" has been read, for a mapped Name; "class of" is a
  // class reference type and declares no class of that name.
  enum { kNone, kName, kEqual, kClass } declaration = kNone;
  StringView declaredName;

  StringView lexem;
  String replaced;
  for (int code; (code = lexer.GetNext(lexem)) != LexEnd;) {
    bool isReplaced = false;
    const String* target = nullptr;
    if (code != LexBlank && code != LexComment) {
      if (declaration == kClass && !(code == LexIdent && SameText(lexem, u"of")))
        declared.emplace_back(declaredName);
      if (declaration == kEqual && code == LexIdent && SameText(lexem, u"class")) {
        declaration = kClass;
      } else if (declaration == kName && code == LexEqual) {
        declaration = kEqual;
      } else if (code == LexIdent && (target = FindTargetClass(lexem)) != nullptr) {
        declaration = kName;
        declaredName = lexem;
      } else {
        declaration = kNone;
      }
    }
    switch (code) {
      case LexComment:
        replaced = ConvertComment(lexem, sourceFile, count, conversion, kept);
        isReplaced = true;
        break;
      case LexIdent:
        if (inUses && UpperCase(lexem) == source_unit_) {
          if (!clauseScanned) {
            clauseNames = ClauseUnitNames(StringView(unit.Text).substr(usesPos));
            clauseScanned = true;
          }
          const String missing = MissingTargetUnits(target_units_, clauseNames);
          if (!missing.empty()) {
            replaced = String(lexem) + missing;
            isReplaced = true;
            ++count;
          }
        } else if (target && !IsKept(kept, lexem)) {
          if (names) ++(*names)[String(lexem)];
          replaced = GetTargetName(lexem, *target);
          isReplaced = true;
          ++count;
        }
        break;
      case LexSemicolon:
        inUses = false;
        break;
      case LexKwUses:
        inUses = true;
        usesPos = lexer.PrevPos();
        clauseScanned = false;
        break;
      default:
        break;
    }
    if (isReplaced && replaced != lexem)
      edits.Add(lexer.PrevPos(), lexem.size(), std::move(replaced));
  }
  if (declaration == kClass) declared.emplace_back(declaredName);

  if (!edits.Empty()) {
    conversion.Changed = true;
    conversion.Output = unit.Bytes(edits.ApplyTo(unit.Text));
  }
  return count;
}

String TComponentReplacer::ProcessComment(StringView lexem, const String& sourceFile, int& count) {
  TFileConversion conversion;
  String result = ConvertComment(lexem, sourceFile, count, conversion, {});
  for (const String& form : conversion.FormFiles) AddResourceForm(form);
  return result;
}

String TComponentReplacer::ConvertComment(StringView lexem, const String& sourceFile, int& count,
                                          TFileConversion& conversion,
                                          const std::unordered_set<String>& kept) const {
  const String upper = UpperCase(lexem);
  if (StartsWith(upper, u"{$R ") || StartsWith(upper, u"{$RESOURCE ")) {
    String form = ResourceFormName(lexem, sourceFile);
    if (!form.empty()) conversion.FormFiles.push_back(std::move(form));
    return String(lexem);
  }
  if (lexem.empty()) return String();
  // The first character goes first so that the inner scan does not see the
  // comment's opening again.
  String result(1, lexem[0]);
  TPasParser inner{String(lexem.substr(1))};
  StringView part;
  for (int code; (code = inner.GetNext(part)) != LexEnd;) {
    const String* target = code == LexIdent ? FindTargetClass(part) : nullptr;
    if (target && !IsKept(kept, part)) {
      result += *target;
      ++count;
    } else {
      result += part;
    }
  }
  return result;
}

String TComponentReplacer::ResourceFormName(StringView directive, const String& sourceFile) {
  const String upper = UpperCase(directive);
  const size_t dot = upper.rfind(u'.');
  if (dot == String::npos || upper.size() - dot - 1 < 3) return String();
  const String ext = upper.substr(dot, 4);
  if (ext != u".DFM" && ext != u".NFM") return String();
  if (dot + 4 < upper.size() && IsNameChar(upper[dot + 4])) return String();  // *.dfmx and the like

  if (dot > 0 && upper[dot - 1] == u'*') {
    // {$R *.dfm}: the form beside the unit, with the unit's own name.
    if (dot < 2 || (upper[dot - 2] != u' ' && upper[dot - 2] != u'\t')) return String();
    return ChangeFileExt(sourceFile, ext);
  }
  size_t start = dot;
  while (start > 0 && IsNameChar(directive[start - 1])) --start;
  if (start == dot) return String();
  return CombinePath(ExtractFilePath(sourceFile), String(directive.substr(start, dot - start)) +
                                                      String(directive.substr(dot, 4)));
}

void TComponentReplacer::AddResourceForm(const String& formFile) {
  TFileKind kind;
  const String found = FindNamedFile(formFile, &kind);
  if (kind != TFileKind::File) {
    // The unit is converted without it; the user should know its form was
    // not.
    LogLine(FormFileNotFoundNote(formFile));
    return;
  }
  // Two directives (or a unit given twice) must not convert a form twice.
  // The set follows Units as long as only this function adds to it.
  if (listed_units_count_ != units_.Count()) {
    listed_units_.clear();
    for (const TStringList::Item& item : units_.Items()) listed_units_.insert(item.text);
  }
  if (!listed_units_.insert(found).second) return;
  units_.Add(found);
  listed_units_count_ = units_.Count();
}

}  // namespace mirel
