// The form-file side of TComponentReplacer: converting the mapped objects of a
// form, writing the result in the form's own kind, and collecting the
// database names that TDatabase objects declare.
#include <algorithm>
#include <climits>

#include "replace/ConversionNotes.h"
#include "replace/FormScanner.h"
#include "replace/Replacer.h"
#include "rtl/TextEdits.h"

namespace mirel {

namespace {

bool IsFormDelimiter(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The lines of a property value as the form parser records them: split at
// CR LF, CR or LF, no empty line after a final break.
std::vector<StringView> ValueLines(StringView value) {
  std::vector<StringView> lines;
  size_t i = 0;
  while (i < value.size()) {
    size_t j = i;
    while (j < value.size() && value[j] != u'\r' && value[j] != u'\n') ++j;
    lines.push_back(value.substr(i, j - i));
    if (j < value.size() && value[j] == u'\r') ++j;
    if (j < value.size() && value[j] == u'\n') ++j;
    i = j;
  }
  return lines;
}

// A value as the report gives it: its lines joined by LF, continuation lines
// without the indentation they share (which only says where the object
// stood; the nesting of collection items within them stays).
template <class Lines>
String ReportValue(const Lines& lines) {
  size_t common = String::npos;
  for (size_t i = 1; i < lines.size(); ++i) {
    const StringView line = lines[i];
    const size_t blanks = std::min(line.find_first_not_of(u" \t"), line.size());
    if (blanks < line.size()) common = std::min(common, blanks);
  }
  String text;
  for (size_t i = 0; i < lines.size(); ++i) {
    StringView line = lines[i];
    if (i > 0) {
      text += u'\n';
      line.remove_prefix(std::min(common, std::min(line.find_first_not_of(u" \t"), line.size())));
    }
    text += line;
  }
  return text;
}

// 1-based line numbers of offsets in a text, for the report.
class TLineIndex {
 public:
  explicit TLineIndex(StringView text) {
    starts_.push_back(0);
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
        starts_.push_back(i + 1);
  }
  int LineOf(size_t offset) const {
    return static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                            starts_.begin());
  }

 private:
  std::vector<size_t> starts_;
};

// What the property rules made of the object the parser just converted.
TConvertedObject ConvertedObjectReport(const TFormParser& parser, StringView oldClass,
                                       StringView newClass, size_t keywordPos,
                                       const TLineIndex& lines) {
  const TFormParseState& s = parser.FormState();
  TConvertedObject object;
  object.Name = String(s.ObjName);
  object.Keyword = String(s.Keyword);
  object.OldClass = String(oldClass);
  object.NewClass = String(newClass);
  object.Line = lines.LineOf(keywordPos);
  for (const TPropertyFate& fate : parser.PropertyFates()) {
    const int line = lines.LineOf(fate.Offset);
    if (fate.RecordedCount == 0) {
      object.Dropped.push_back({String(fate.Name), ReportValue(ValueLines(fate.Value)), line});
      continue;
    }
    const std::vector<StringView> oldLines = ValueLines(fate.Value);
    for (size_t i = 0; i < fate.RecordedCount; ++i) {
      const TRecordedProperty& p = parser.Properties()[fate.FirstRecorded + i];
      const bool same = p.Name == fate.Name && p.Values.size() == oldLines.size() &&
                        std::equal(p.Values.begin(), p.Values.end(), oldLines.begin());
      if (!same)
        object.Converted.push_back(
            {String(fate.Name), ReportValue(oldLines), p.Name, ReportValue(p.Values), line});
    }
  }
  return object;
}

}  // namespace

bool TComponentReplacer::ConvertObject(TFormParser& parser, const String& formText,
                                       StringView target, size_t keywordPos, int depth,
                                       String& written, size_t& next) {
  if (formText.size() >= static_cast<size_t>(INT_MAX)) return false;
  parser.SetTargetClass(target);
  int pos = static_cast<int>(keywordPos) + 1;
  if (!parser.Parse(formText, u"<object>", pos)) return false;
  String text = parser.WriteObject(depth);
  // A parse that recorded no header would otherwise erase the object.
  if (text.size() < 2 || text.compare(text.size() - 2, 2, u"\r\n") != 0) return false;
  const size_t stop = static_cast<size_t>(pos) - 1;
  MIREL_ASSERT(stop > keywordPos && stop <= formText.size());

  // The parse also took the line break and indentation after "end"; they go
  // back as they were, so the next line keeps its layout. The indentation
  // before the keyword is already in the output, so the header loses the one
  // WriteObject gives it.
  size_t objectEnd = stop;
  while (objectEnd > keywordPos && IsFormDelimiter(formText[objectEnd - 1])) --objectEnd;
  text.erase(0, text.find_first_not_of(u' '));
  text.resize(text.size() - 2);
  const StringView original = StringView(formText).substr(keywordPos, objectEnd - keywordPos);
  if (original.find(u'\r') == StringView::npos) {
    // A form written with bare line feeds keeps them in the converted object.
    String lf;
    lf.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
      if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) lf += text[i];
    text = std::move(lf);
  }
  text.append(formText, objectEnd, stop - objectEnd);
  written = std::move(text);
  next = stop;
  return true;
}

void TComponentReplacer::ProcessForm(TFormFile form, const String& outputFile) {
  TFileConversion conversion;
  try {
    ConvertForm(std::move(form), outputFile, *form_parser_, form_text_, conversion);
  } catch (...) {
    conversion.Error = std::current_exception();  // thrown once the count is logged
  }
  ApplyConversion(conversion, outputFile);
}

void TComponentReplacer::ConvertForm(TFormFile form, const String& outputFile, TFormParser& parser,
                                     String& formText, TFileConversion& conversion) const {
  formText = std::move(form.Text);
  TFormScanner lexer(formText);
  TTextEdits edits;
  int count = 0;
  int depth = -1;
  String objName;           // of the header being read
  size_t keywordPos = 0;    // 0-based index of the last header keyword
  size_t tooDeepUntil = 0;  // objects before this nest too deeply to be parsed
  int tooDeep = 0;
  int headers = 0;  // object headers met; the first is the form's root
  TFileReport* report = conversion.Report ? &*conversion.Report : nullptr;
  std::optional<TLineIndex> lines;
  if (report) {
    report->Kind = form.Binary ? TReportFileKind::BinaryForm : TReportFileKind::TextForm;
    report->Encoding = form.Encoding->Name();
    lines.emplace(formText);
  }
  const auto notConverted = [&](StringView className, const char16_t* reason) {
    if (report)
      report->NotConverted.push_back(
          {objName, String(className), lines->LineOf(keywordPos), reason});
  };
  // Objects that kept their properties but got the target class: the form
  // is written for them too, so that it names the classes its converted unit
  // declares.
  int renamed = 0;

  StringView lexem;
  THeaderRole role;
  for (int code; (code = lexer.Next(lexem, role)) != LexEnd;) {
    switch (code) {
      case LexKwObject:
      case LexKwInherited:
      case LexKwInline:
        // An inherited or inline object repeats an object of the ancestor
        // form or frame: it is converted as the ancestor's is, or the
        // descendant would name a class the ancestor no longer has.
        keywordPos = lexer.PrevPos();
        ++headers;
        ++depth;
        if (report) {
          if (headers == 1 && code == LexKwInherited) report->InheritedRoot = true;
          if (code == LexKwInline) ++report->InlineFrames;
        }
        break;
      case LexKwItem:
        ++depth;
        break;
      case LexKwEnd:
        // An "end" too many closes nothing: the objects after it are taken
        // as roots, never as objects above the root.
        if (depth >= 0) --depth;
        break;
      case LexIdent: {
        if (role == THeaderRole::ObjectName) objName = lexem;
        if (role != THeaderRole::ClassName) break;
        const String* target = FindTargetClass(lexem);
        if (!target) break;
        if (headers == 1) {
          // The form, data module or frame itself: its class is the one its
          // unit declares, whatever its name, never a component.
          conversion.LogLines.push_back(FormRootKeptNote(objName, lexem));
          notConverted(lexem, u"the form itself: its class is its unit's own");
          break;
        }
        String written;
        size_t next = 0;
        if (keywordPos < tooDeepUntil) {
          // Inside an object the parser could not follow to its end for its
          // depth: this one nests as deep, and parsing each of them again
          // would cost time that grows with the square of the depth.
          edits.Add(lexer.PrevPos(), lexem.size(), *target);
          ++tooDeep;
          ++renamed;
          notConverted(lexem, u"nested too deeply to be parsed; only its class name was replaced");
        } else if (ConvertObject(parser, formText, *target, keywordPos, depth, written, next)) {
          ++count;
          if (report)
            report->Objects.push_back(
                ConvertedObjectReport(parser, lexem, *target, keywordPos, *lines));
          edits.Add(keywordPos, next - keywordPos, std::move(written));
          lexer.ContinueAt(next);
          --depth;  // its "end" has been consumed with it
        } else {
          // Not parsed: only the class name changes, and that is not counted
          // as a converted object. Its old properties may not load under the
          // new class, so the log says which it was.
          edits.Add(lexer.PrevPos(), lexem.size(), *target);
          conversion.LogLines.push_back(u"Object " + objName + u": " + String(lexem) +
                                        u" could not be converted; only its class name was "
                                        u"replaced");
          notConverted(lexem,
                       u"its properties could not be parsed; only its class name was replaced");
          ++renamed;
          if (parser.DepthExceeded())
            tooDeepUntil = static_cast<size_t>(parser.DepthExceededAt() - 1);
        }
        break;
      }
      default:
        break;
    }
  }

  if (tooDeep > 0)
    conversion.LogLines.push_back(
        IntToStr(tooDeep) +
        u" more object(s) nested too deeply could not be converted; only their class names "
        u"were replaced");
  // Converted objects are what the count tells; a form written for class
  // names alone must not be reported as unchanged.
  if (!form.Binary && !form.HasPreamble && LooksLikeUnmarkedUtf16(formText))
    conversion.LogLines.push_back(UnmarkedUtf16Note(*form.Encoding));
  conversion.LogLines.push_back(ChangesText(count > 0 ? count : renamed));
  if (!edits.Empty()) {
    conversion.Output = FormFileBytes(form, edits.ApplyTo(formText), outputFile);
    conversion.Changed = true;
  }
}

void TComponentReplacer::WriteFormFile(const TFormFile& form, StringView text,
                                       const String& outputFile) {
  WriteOutput(outputFile, FormFileBytes(form, text, outputFile));
}

std::string TComponentReplacer::FormFileBytes(const TFormFile& form, StringView text,
                                              const String& outputFile) const {
  if (!form.Binary) return form.Bytes(text);
  TBinaryFormKind kind = form.Kind;
  kind.Header.MemoryFlags = 0x1030;
  try {
    return TextToBinaryForm(text, kind, *form.Encoding);
  } catch (const EFormFormatError& e) {
    throw EFormFormatError(outputFile + u": " + e.Message());
  }
}

void TComponentReplacer::CollectDatabaseNames(const String& formFileName) {
  String text = ReadFormFile(ReadInput(formFileName), formFileName).Text;
  const size_t nul = text.find(u'\0');
  if (nul != String::npos) text.resize(nul);

  TFormScanner lexer(std::move(text));
  lexer.SetQuotedString(false);
  // Of the object being read; inherited and inline objects are named like
  // any other, so the root of a form that inherits from another is its
  // first header.
  String objName, className, lastIdent;
  String formName;
  bool rootSeen = false;
  StringView lexem;
  THeaderRole role;
  for (int code; (code = lexer.Next(lexem, role)) != LexEnd;) {
    switch (code) {
      case LexKwEnd:
        objName.clear();
        className.clear();
        break;
      case LexIdent:
        if (role == THeaderRole::ObjectName) {
          objName = lexem;
          if (!rootSeen) {
            formName = lexem;
            rootSeen = true;
          }
        } else if (role == THeaderRole::ClassName) {
          className = lexem;
        }
        lastIdent = lexem;
        break;
      case LexString:
        // A name with '=' could not be looked up as a name=value line, and an
        // empty one names no database.
        if (className == u"TDatabase" && lastIdent == u"DatabaseName" && !lexem.empty() &&
            lexem.find(u'=') == StringView::npos && !objName.empty())
          database_map_.SetValue(lexem, formName + u"." + objName);
        break;
      default:
        break;
    }
  }
}

}  // namespace mirel
