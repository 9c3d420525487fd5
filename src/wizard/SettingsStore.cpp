#include "wizard/SettingsStore.h"

#include <memory>

#include "wizard/Dialogs.h"
#include "wizard/RExpertRes.h"

namespace mirel {

TQSettingsIniFile::TQSettingsIniFile(const QString& organization, const QString& application)
    : settings_(QSettings::IniFormat, QSettings::UserScope, organization, application) {}

TQSettingsIniFile::TQSettingsIniFile(const QString& fileName)
    : settings_(fileName, QSettings::IniFormat) {}

TQSettingsIniFile::~TQSettingsIniFile() {
  settings_.sync();
}

QString TQSettingsIniFile::EscapeName(StringView name) {
  QString out;
  out.reserve(static_cast<qsizetype>(name.size()));
  for (char16_t c : name) {
    switch (c) {
      case u'%':
        out += QStringLiteral("%25");
        break;
      case u'/':
        out += QStringLiteral("%2F");
        break;
      case u'\\':
        out += QStringLiteral("%5C");
        break;
      default:
        out += QChar(c);
    }
  }
  return out;
}

String TQSettingsIniFile::UnescapeName(const QString& name) {
  String out;
  out.reserve(static_cast<size_t>(name.size()));
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QStringView rest = QStringView(name).mid(i);
    if (rest.startsWith(u"%25")) {
      out += u'%';
      i += 2;
    } else if (rest.startsWith(u"%2F")) {
      out += u'/';
      i += 2;
    } else if (rest.startsWith(u"%5C")) {
      out += u'\\';
      i += 2;
    } else {
      out += name[i].unicode();
    }
  }
  return out;
}

QString TQSettingsIniFile::Key(StringView section, StringView ident) const {
  return EscapeName(section) + u'/' + EscapeName(ident);
}

String TQSettingsIniFile::ReadString(StringView section, StringView ident, StringView def) {
  const QVariant value = settings_.value(Key(section, ident));
  if (!value.isValid()) return String(def);
  return S(value.toString());
}

void TQSettingsIniFile::WriteString(StringView section, StringView ident, StringView value) {
  settings_.setValue(Key(section, ident), Q(value));
}

bool TQSettingsIniFile::SectionExists(StringView section) {
  return settings_.childGroups().contains(EscapeName(section));
}

bool TQSettingsIniFile::ValueExists(StringView section, StringView ident) {
  return settings_.contains(Key(section, ident));
}

void TQSettingsIniFile::ReadSection(StringView section, TStringList& names) {
  names.Clear();
  settings_.beginGroup(EscapeName(section));
  const QStringList keys = settings_.childKeys();
  settings_.endGroup();
  for (const QString& key : keys) names.Add(UnescapeName(key));
}

void TQSettingsIniFile::ReadSections(TStringList& names) {
  names.Clear();
  for (const QString& group : settings_.childGroups()) names.Add(UnescapeName(group));
}

void TQSettingsIniFile::EraseSection(StringView section) {
  settings_.remove(EscapeName(section));
}

void TQSettingsIniFile::DeleteKey(StringView section, StringView ident) {
  settings_.remove(Key(section, ident));
}

void TQSettingsIniFile::UpdateFile() {
  settings_.sync();
}

std::unique_ptr<TCustomIniFile> OpenWizardSettings(StringView keyName) {
  return std::make_unique<TQSettingsIniFile>(res::sSettingsOrganization.toString(), Q(keyName));
}

}  // namespace mirel
