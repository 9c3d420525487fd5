// The report of a conversion: for every file what it is, how it was read,
// which objects were converted and how each property fared (converted to
// something else, or dropped because the new class does not publish it),
// which mapped objects could not be converted and why, and the places in
// units the user has to finish by hand (follow-ups). A run fills it as it
// applies its files, in file order, whether or not the run goes on to the
// end; the report then says how far it got.
//
// Lines are 1-based lines of the form text: for a binary form, of its text
// as form-to-text writes it. Value texts are the value's lines joined by
// "\n", continuation lines without their indentation.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "files/FileSystem.h"
#include "replace/FollowUps.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// The version of the report's JSON; raised when a field changes meaning.
inline constexpr int kReportFormat = 1;

enum class TReportFileKind { Unit, TextForm, BinaryForm };

/// A property the rules turned into another (name or value changed).
struct TConvertedProperty {
  String OldName, OldValue;
  String NewName, NewValue;
  int Line = 0;
};

/// A property dropped because the new class has no place for it: its full
/// value, so that nothing of the form is lost without a trace.
struct TDroppedProperty {
  String Name, Value;
  int Line = 0;
};

struct TConvertedObject {
  String Name;     ///< "" for an object without a name
  String Keyword;  ///< object, inherited or inline, as written
  String OldClass, NewClass;
  int Line = 0;
  std::vector<TConvertedProperty> Converted;
  std::vector<TDroppedProperty> Dropped;
};

/// A mapped object that was not converted: only its class name was
/// replaced, or (the form's own root) nothing was.
struct TUnconvertedObject {
  String Name, Class;
  int Line = 0;
  String Reason;
};

struct TFileReport {
  String File;
  TReportFileKind Kind = TReportFileKind::Unit;
  String Encoding;  ///< the encoding's name, e.g. "UTF-8" or "windows-1252"
  bool Changed = false;
  /// Forms: the root is "inherited" (a form of visual form inheritance),
  /// and how many "inline" frames the scan met.
  bool InheritedRoot = false;
  int InlineFrames = 0;
  /// Units: how often each mapped class name (as written) stands in code.
  std::map<String, int> MappedNames;
  std::vector<TConvertedObject> Objects;
  std::vector<TUnconvertedObject> NotConverted;
  std::vector<TFollowUp> FollowUps;
  /// Why the file could not be converted; "" when it was.
  String Error;
};

struct TReportTotals {
  int Files = 0, ChangedFiles = 0;
  int Objects = 0, ConvertedProperties = 0, DroppedProperties = 0;
  int NotConverted = 0, FollowUps = 0;
};

struct TRunReport {
  String Command;  ///< "replace", "convert", "replace --dry-run", "assess"
  String Profile;  ///< "bde" or "ado"
  String Folder;   ///< the project's or target folder; "" for convert
  std::vector<TFileReport> Files;
  /// The run went to its end (a dry run: to the end of its conversion).
  bool Finished = false;
  /// The last step the run reached ("converted", "backed-up", "replacing",
  /// ...), and why it stopped when it did not finish.
  String LastStep;
  String Error;

  TReportTotals Totals() const;
};

/// The report as JSON ("format": kReportFormat), UTF-8, indented.
std::string ReportJson(const TRunReport& report);
/// Writes ReportJson to file through fs, replacing it; EFCreateError when it
/// cannot be written.
void WriteReport(const TRunReport& report, const String& file, TFileSystem& fs);
/// The line a command prints once a run is over: "3 object(s) converted,
/// 2 property(ies) dropped, 4 follow-up(s); report: FILE".
String ReportSummaryLine(const TRunReport& report, const String& file);

}  // namespace mirel
