// Settings stores: sections of named values with typed reads that fall back
// to a default when a value is missing.
//
// TCustomIniFile is the interface the engine and the wizard use; it does not
// say where values live. A backend implements the string operations and the
// section/value management, and may override the typed ones to store integers
// and booleans natively (a QSettings backend would). Text values may hold line
// breaks, which every backend must give back unchanged.
//
// Section and value names are compared without regard to ASCII case by
// TMemIniFile; callers always use one spelling, so a case-sensitive backend
// serves them equally.
#pragma once

#include <vector>

#include "rtl/StringList.h"
#include "rtl/SysUtils.h"

namespace mirel {

class TCustomIniFile {
 public:
  virtual ~TCustomIniFile() = default;

  /// The value, or def when the section holds no value of that name.
  virtual String ReadString(StringView section, StringView ident, StringView def) = 0;
  virtual void WriteString(StringView section, StringView ident, StringView value) = 0;

  /// A stored decimal integer (optionally signed, or hexadecimal with "$" or
  /// "0x"); def when the value is missing or is not an integer in range.
  virtual int ReadInteger(StringView section, StringView ident, int def);
  /// Stores the decimal text of value.
  virtual void WriteInteger(StringView section, StringView ident, int value);

  /// "1"/"0" and "true"/"false" (any case), or any integer (non-zero is
  /// true); def when the value is missing or none of these.
  virtual bool ReadBool(StringView section, StringView ident, bool def);
  /// Stores "1" or "0".
  virtual void WriteBool(StringView section, StringView ident, bool value);

  virtual bool SectionExists(StringView section) = 0;
  virtual bool ValueExists(StringView section, StringView ident) = 0;
  /// Replaces names by the names of the values of section, in stored order.
  virtual void ReadSection(StringView section, TStringList& names) = 0;
  /// Replaces names by the names of all sections, in stored order.
  virtual void ReadSections(TStringList& names) = 0;
  /// Removes a section with all its values; a missing one is no error.
  virtual void EraseSection(StringView section) = 0;
  /// Removes one value; a missing one is no error.
  virtual void DeleteKey(StringView section, StringView ident) = 0;
  /// Makes written values durable where the backend buffers them.
  virtual void UpdateFile() {}
};

/// A store held in memory, in insertion order. Its text form (GetText /
/// SetText) is an INI file in which line breaks and backslashes of values are
/// escaped ("\n", "\r", "\\"), so that multi-line values survive a round trip.
class TMemIniFile : public TCustomIniFile {
 public:
  String ReadString(StringView section, StringView ident, StringView def) override;
  void WriteString(StringView section, StringView ident, StringView value) override;
  bool SectionExists(StringView section) override;
  bool ValueExists(StringView section, StringView ident) override;
  void ReadSection(StringView section, TStringList& names) override;
  void ReadSections(TStringList& names) override;
  void EraseSection(StringView section) override;
  void DeleteKey(StringView section, StringView ident) override;

  /// The whole store as INI text: "[section]" lines, "name=value" lines,
  /// each line ended by LF.
  String GetText() const;
  /// Replaces the store by the INI text (lines ended by LF, CR LF or CR).
  /// Lines before the first section, blank lines and lines starting with ';'
  /// or '#' are ignored, and so are lines without '='.
  void SetText(StringView text);
  void Clear() { sections_.clear(); }

 private:
  struct Value {
    String name;
    String value;
  };
  struct Section {
    String name;
    std::vector<Value> values;
  };
  Section* FindSection(StringView section);
  Value* FindValue(StringView section, StringView ident);

  std::vector<Section> sections_;
};

}  // namespace mirel
