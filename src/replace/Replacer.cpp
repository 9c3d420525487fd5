#include "replace/Replacer.h"

#include <algorithm>

#include "files/Paths.h"
#include "replace/UndoFile.h"

namespace mirel {

namespace {

// What a replacer tells when no run has handed it an observer: its own
// hooks, and the process's wait indicator and shell opener.
class THookObserver : public TRunObserver {
 public:
  explicit THookObserver(TComponentReplacer& replacer) : replacer_(replacer) {}

  void Start() override { StartWait(); }
  void Stop() override { StopWait(); }
  void Progress(int done, int known) override { WaitIndicator().Progress(done, known); }
  void ProgressBytes(int done, int known, uint64_t bytesDone) override {
    WaitIndicator().ProgressBytes(done, known, bytesDone);
  }
  void LogLine(StringView line) override {
    if (replacer_.OnLogLine) replacer_.OnLogLine(line);
  }
  void StepReached(StringView step) override {
    if (replacer_.OnStep) replacer_.OnStep(step);
  }
  bool StopRequested() override { return replacer_.StopRequested && replacer_.StopRequested(); }
  void Converted(const std::vector<TRunFile>& files) override {
    if (replacer_.OnConverted) replacer_.OnConverted(files);
  }
  void ShowLog(const String& logFile) override { ShellOpener().Open(logFile); }

 private:
  TComponentReplacer& replacer_;
};

}  // namespace

TComponentReplacer::TComponentReplacer(TFormParserClass formParserClass, StringView sourceUnit,
                                       StringView targetUnits, TReplaceOptions& options)
    : form_parser_class_(formParserClass),
      source_unit_(UpperCase(sourceUnit)),
      target_units_(targetUnits),
      options_(options) {
  class_map_.SetSorted(true);
  class_map_.SetDuplicates(TDuplicates::Ignore);
  MIREL_ASSERT(formParserClass != nullptr);
  form_parser_ = NewFormParser();
  hooks_ = std::make_unique<THookObserver>(*this);
  observer_ = hooks_.get();
  log_.SetLogTitle(options_.Title() + u" log");
  log_.SetCreationCaption(u"Created at:");
  log_.SetDoubleSpaced(true);
}

TComponentReplacer::~TComponentReplacer() = default;

std::unique_ptr<TFormParser> TComponentReplacer::NewFormParser() const {
  std::unique_ptr<TFormParser> parser = form_parser_class_();
  MIREL_ASSERT(parser != nullptr);
  parser->OnLookupValue = [this](StringView name, StringView value, String& answer) {
    answer = GetDatabaseComponent(name, value);
  };
  return parser;
}

void TComponentReplacer::AddClassPair(StringView sourceClass, StringView targetClass) {
  const int k = target_classes_.Add(String(targetClass));
  class_map_.Add(String(sourceClass), k);
  if (!sourceClass.empty()) {
    min_source_length_ = std::min(min_source_length_, sourceClass.size());
    max_source_length_ = std::max(max_source_length_, sourceClass.size());
    const char16_t first = AsciiLower(sourceClass[0]);
    if (first < 128)
      source_first_chars_.set(first);
    else
      any_source_first_char_ = true;
  }
}

const String* TComponentReplacer::FindTargetClass(StringView name) const {
  // Nearly every identifier of a unit is asked; most differ from every
  // source class in length or first letter.
  if (name.size() < min_source_length_ || name.size() > max_source_length_) return nullptr;
  const char16_t first = AsciiLower(name[0]);
  if (first < 128 ? !source_first_chars_.test(first) : !any_source_first_char_) return nullptr;
  int index = 0;
  if (!class_map_.Find(name, index)) return nullptr;
  const long long k = class_map_.Objects(index);
  MIREL_ASSERT(k >= 0 && k < target_classes_.Count());
  return &target_classes_[static_cast<int>(k)];
}

String TComponentReplacer::GetTargetName(StringView sourceName, StringView targetName) const {
  (void)sourceName;
  return String(targetName);
}

String TComponentReplacer::ReplaceClassName(StringView name) const {
  const String* target = FindTargetClass(name);
  return target ? GetTargetName(name, *target) : String(name);
}

void TComponentReplacer::LogLine(StringView text) {
  log_.WriteLine(text);
  observer_->LogLine(text);
}

String TComponentReplacer::ChangesText(int count) {
  return count == 0 ? String(u"No changes") : IntToStr(count) + u" change(s)";
}

std::string TComponentReplacer::ReadInput(const String& fileName) {
  std::string bytes;
  const TFsResult r = fs_->ReadFile(fileName, bytes);
  if (!r) throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + r.Message());
  return bytes;
}

void TComponentReplacer::WriteOutput(const String& fileName, std::string_view bytes) {
  const TFsResult r = fs_->WriteFile(fileName, bytes, durable_outputs_);
  if (!r) throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + r.Message());
}

String TComponentReplacer::OutputFileName(const String& fileName, const String& outputFolder) {
  String output = CombinePath(outputFolder, ExtractFileName(fileName));
  // The converted copy must never land on the original.
  if (output == fileName)
    throw EFCreateError(u"Cannot create file \"" + output +
                        u"\". The output folder is the folder of the original.");
  return output;
}

void TComponentReplacer::ProcessFile(const String& fileName, const String& outputFolder) {
  LogLine(u"Processing file: " + fileName);
  const std::string bytes = ReadInput(fileName);
  const String output = OutputFileName(fileName, outputFolder);
  TFileConversion conversion;
  ConvertFile(fileName, bytes, output, *form_parser_, form_text_, conversion);
  ApplyConversion(conversion, output);
}

void TComponentReplacer::ConvertFile(const String& fileName, std::string_view bytes,
                                     const String& outputFile, TFormParser& parser,
                                     String& formText, TFileConversion& conversion) const {
  if (report_) {
    conversion.Report.emplace();
    conversion.Report->File = fileName;
  }
  try {
    if (IsPascalSource(fileName))
      ConvertUnit(ReadTextFile(bytes), fileName, conversion);
    else
      ConvertForm(ReadFormFile(bytes, fileName), outputFile, parser, formText, conversion);
  } catch (const Exception& e) {
    if (conversion.Report) conversion.Report->Error = e.Message();
    conversion.Error = std::current_exception();
  } catch (const std::exception& e) {
    // Not one of ours, so its text names no file: without the name, a user
    // could not tell which file to set aside.
    conversion.Error = std::make_exception_ptr(
        Exception(fileName + u": the file could not be converted: " + FromUtf8(e.what())));
    if (conversion.Report)
      conversion.Report->Error = u"the file could not be converted: " + FromUtf8(e.what());
  } catch (...) {
    conversion.Error = std::current_exception();
  }
}

void TComponentReplacer::ApplyConversion(const TFileConversion& conversion,
                                         const String& outputFile) {
  for (const String& form : conversion.FormFiles) AddResourceForm(form);
  for (const String& line : conversion.LogLines) LogLine(line);
  if (report_ && conversion.Report) {
    report_->Files.push_back(*conversion.Report);
    report_->Files.back().Changed = conversion.Changed && !conversion.Error;
  }
  if (conversion.Error) std::rethrow_exception(conversion.Error);
  if (!conversion.Changed) return;
  WriteOutput(outputFile, conversion.Output);
  ++changed_count_;
}

TFormFile TComponentReplacer::ReadFormFile(std::string_view bytes, StringView fileName) {
  TFormFile form;
  if (!IsBinaryForm(bytes)) {
    static_cast<TTextFile&>(form) = ReadTextFile(bytes);
    return form;
  }
  form.Binary = true;
  form.Encoding = &TEncoding::Default();
  try {
    form.Text = BinaryFormToText(bytes, form.Kind, *form.Encoding);
  } catch (const EFormFormatError& e) {
    throw EFormFormatError(String(fileName) + u": " + e.Message());
  }
  return form;
}

String TComponentReplacer::GetDatabaseComponent(StringView propertyName, StringView value) const {
  MIREL_ASSERT(propertyName == u"DatabaseName");
  return database_map_.Values(value);
}

bool TComponentReplacer::Restore(const String& undoFileName) {
  return RestoreWithReport(undoFileName).Succeeded();
}

TRestoreResult TComponentReplacer::RestoreWithReport(const String& undoFileName,
                                                     const TRestoreOptions& options) {
  TRestoreResult result;
  listed_units_count_ = -1;
  try {
    LoadUndoFile(undoFileName, units_, *fs_);
    result = RestoreUndoLines(units_, undoFileName, options, *fs_);
  } catch (...) {
    units_.Clear();
    throw;
  }
  units_.Clear();
  for (const TRestoreItem& item : result.Items)
    if (item.Status != TRestoreStatus::Restored) LogLine(DescribeRestoreItem(item));
  return result;
}

}  // namespace mirel
