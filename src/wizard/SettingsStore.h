// TQSettingsIniFile: the wizard's settings store over QSettings, in INI
// format under the user's configuration folder
// ($XDG_CONFIG_HOME/<organisation>/<application>.ini).
//
// QSettings reads '/' and '\' in a group or key name as a path into nested
// groups; section names such as "BDE/ADO Migration Wizard" must stay one
// section, so names are escaped ('%' -> "%25", '/' -> "%2F", '\' -> "%5C")
// on the way in and unescaped on the way out. Distinct names therefore never
// share a section. Text values, line breaks included, come back exactly as
// written.
#pragma once

#include <QSettings>
#include <QString>

#include "rtl/IniFiles.h"

namespace mirel {

class TQSettingsIniFile : public TCustomIniFile {
 public:
  /// Opens (or starts) the store of organization/application for the current
  /// user. Written values reach the file at UpdateFile and at destruction.
  TQSettingsIniFile(const QString& organization, const QString& application);
  /// A store over an explicit INI file; for tools and tests.
  explicit TQSettingsIniFile(const QString& fileName);
  ~TQSettingsIniFile() override;

  String ReadString(StringView section, StringView ident, StringView def) override;
  void WriteString(StringView section, StringView ident, StringView value) override;
  bool SectionExists(StringView section) override;
  bool ValueExists(StringView section, StringView ident) override;
  void ReadSection(StringView section, TStringList& names) override;
  void ReadSections(TStringList& names) override;
  void EraseSection(StringView section) override;
  void DeleteKey(StringView section, StringView ident) override;
  /// Writes pending values to the file.
  void UpdateFile() override;

  /// The file behind the store.
  QString FileName() const { return settings_.fileName(); }

  static QString EscapeName(StringView name);
  static String UnescapeName(const QString& name);

 private:
  QString Key(StringView section, StringView ident) const;
  QSettings settings_;
};

/// The wizard's store for the expert whose caption is keyName ("&Mirel"):
/// organisation "Orvane", application keyName, ampersand kept.
std::unique_ptr<TCustomIniFile> OpenWizardSettings(StringView keyName);

}  // namespace mirel
