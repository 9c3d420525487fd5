#include "replace/ReplaceOptions.h"

namespace mirel {

void TReplaceOptions::Load(TCustomIniFile& ini, StringView section) {
  Dest = static_cast<uint8_t>(ini.ReadInteger(section, u"Dest", Dest) & 0xFF);
  Directory = ini.ReadString(section, u"Directory", Directory);
  IncludeSubDirs = ini.ReadBool(section, u"IncludeSubDirs", IncludeSubDirs);
  MakeBackup = ini.ReadBool(section, u"MakeBackup", MakeBackup);
  WriteLog = ini.ReadBool(section, u"WriteLog", WriteLog);
  ViewLog = ini.ReadBool(section, u"ViewLog", ViewLog);
}

void TReplaceOptions::Save(TCustomIniFile& ini, StringView section) const {
  ini.WriteInteger(section, u"Dest", Dest);
  ini.WriteString(section, u"Directory", Directory);
  ini.WriteBool(section, u"IncludeSubDirs", IncludeSubDirs);
  ini.WriteBool(section, u"MakeBackup", MakeBackup);
  ini.WriteBool(section, u"WriteLog", WriteLog);
  ini.WriteBool(section, u"ViewLog", ViewLog);
}

}  // namespace mirel
