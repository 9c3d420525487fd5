#include "replace/RunReport.h"

#include <nlohmann/json.hpp>

#include "rtl/Classes.h"

namespace mirel {

namespace {

using nlohmann::ordered_json;

const char* KindName(TReportFileKind kind) {
  switch (kind) {
    case TReportFileKind::Unit:
      return "unit";
    case TReportFileKind::TextForm:
      return "text form";
    case TReportFileKind::BinaryForm:
      return "binary form";
  }
  return "unit";
}

ordered_json FileJson(const TFileReport& file) {
  ordered_json j;
  j["file"] = ToUtf8(file.File);
  j["kind"] = KindName(file.Kind);
  j["encoding"] = ToUtf8(file.Encoding);
  j["changed"] = file.Changed;
  if (file.Kind != TReportFileKind::Unit) {
    j["inheritedRoot"] = file.InheritedRoot;
    j["inlineFrames"] = file.InlineFrames;
  }
  if (!file.Error.empty()) j["error"] = ToUtf8(file.Error);
  if (file.Kind == TReportFileKind::Unit) {
    ordered_json names = ordered_json::object();
    for (const auto& [name, count] : file.MappedNames) names[ToUtf8(name)] = count;
    j["mappedNames"] = std::move(names);
  }
  ordered_json objects = ordered_json::array();
  for (const TConvertedObject& o : file.Objects) {
    ordered_json jo;
    jo["name"] = ToUtf8(o.Name);
    jo["keyword"] = ToUtf8(o.Keyword);
    jo["oldClass"] = ToUtf8(o.OldClass);
    jo["newClass"] = ToUtf8(o.NewClass);
    jo["line"] = o.Line;
    ordered_json converted = ordered_json::array();
    for (const TConvertedProperty& p : o.Converted)
      converted.push_back({{"oldName", ToUtf8(p.OldName)},
                           {"oldValue", ToUtf8(p.OldValue)},
                           {"newName", ToUtf8(p.NewName)},
                           {"newValue", ToUtf8(p.NewValue)},
                           {"line", p.Line}});
    jo["convertedProperties"] = std::move(converted);
    ordered_json dropped = ordered_json::array();
    for (const TDroppedProperty& p : o.Dropped)
      dropped.push_back({{"name", ToUtf8(p.Name)}, {"value", ToUtf8(p.Value)}, {"line", p.Line}});
    jo["droppedProperties"] = std::move(dropped);
    objects.push_back(std::move(jo));
  }
  j["objects"] = std::move(objects);
  ordered_json unconverted = ordered_json::array();
  for (const TUnconvertedObject& o : file.NotConverted)
    unconverted.push_back({{"name", ToUtf8(o.Name)},
                           {"class", ToUtf8(o.Class)},
                           {"line", o.Line},
                           {"reason", ToUtf8(o.Reason)}});
  j["notConverted"] = std::move(unconverted);
  ordered_json followUps = ordered_json::array();
  for (const TFollowUp& f : file.FollowUps)
    followUps.push_back({{"line", f.Line},
                         {"column", f.Column},
                         {"text", ToUtf8(f.Text)},
                         {"hint", ToUtf8(f.Hint)}});
  j["followUps"] = std::move(followUps);
  return j;
}

}  // namespace

TReportTotals TRunReport::Totals() const {
  TReportTotals t;
  for (const TFileReport& f : Files) {
    ++t.Files;
    if (f.Changed) ++t.ChangedFiles;
    t.Objects += static_cast<int>(f.Objects.size());
    for (const TConvertedObject& o : f.Objects) {
      t.ConvertedProperties += static_cast<int>(o.Converted.size());
      t.DroppedProperties += static_cast<int>(o.Dropped.size());
    }
    t.NotConverted += static_cast<int>(f.NotConverted.size());
    t.FollowUps += static_cast<int>(f.FollowUps.size());
  }
  return t;
}

std::string ReportJson(const TRunReport& report) {
  const TReportTotals t = report.Totals();
  ordered_json j;
  j["format"] = kReportFormat;
  j["command"] = ToUtf8(report.Command);
  j["profile"] = ToUtf8(report.Profile);
  j["folder"] = ToUtf8(report.Folder);
  j["finished"] = report.Finished;
  j["lastStep"] = ToUtf8(report.LastStep);
  if (!report.Error.empty()) j["error"] = ToUtf8(report.Error);
  j["totals"] = {{"files", t.Files},
                 {"changedFiles", t.ChangedFiles},
                 {"objects", t.Objects},
                 {"convertedProperties", t.ConvertedProperties},
                 {"droppedProperties", t.DroppedProperties},
                 {"notConverted", t.NotConverted},
                 {"followUps", t.FollowUps}};
  ordered_json files = ordered_json::array();
  for (const TFileReport& f : report.Files) files.push_back(FileJson(f));
  j["files"] = std::move(files);
  // Invalid UTF-16 (a lone surrogate from a damaged file) must not make the
  // report unwritable: it comes out as U+FFFD.
  return j.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

void WriteReport(const TRunReport& report, const String& file, TFileSystem& fs) {
  const TFsResult r = fs.WriteFile(file, ReportJson(report));
  if (!r) throw EFCreateError(u"Cannot create file \"" + file + u"\". " + r.Message());
}

String ReportSummaryLine(const TRunReport& report, const String& file) {
  const TReportTotals t = report.Totals();
  return IntToStr(t.Objects) + u" object(s) converted, " + IntToStr(t.DroppedProperties) +
         u" property(ies) dropped, " + IntToStr(t.FollowUps) + u" follow-up(s); report: " + file;
}

}  // namespace mirel
