#include "forms/KyFormParser.h"

namespace mirel {

namespace {

struct ValueMap {
  const char16_t* From;
  const char16_t* To;
};

constexpr ValueMap kTransIsolation[] = {
    {u"tiDirtyRead", u"ilReadUnCommitted"},
    {u"tiReadCommitted", u"ilReadCommitted"},
    {u"tiRepeatableRead", u"ilRepeatableRead"},
};

constexpr ValueMap kAdoIsolationLevel[] = {
    {u"ilBrowse", u"ilReadUnCommitted"},
    {u"ilCursorStability", u"ilReadCommitted"},
    {u"ilSerializable", u"ilIsolated"},
};

template <size_t N>
const char16_t* Mapped(const ValueMap (&table)[N], StringView value) {
  for (const ValueMap& row : table)
    if (value == row.From) return row.To;
  return nullptr;
}

}  // namespace

void TKyFormParser::ConvertProperty(StringView name, StringView value) {
  const StringView type = FormState().ObjType;

  if (name == u"Params.Strings" && type == u"TDatabase") {
    const String database = ParamValue(ParamList(value), u"DATABASE NAME");
    if (!database.empty()) AddProperty(u"Database", u"'" + database + u"'");
  }

  if (name == u"TransIsolation" && type == u"TDatabase") {
    if (const char16_t* level = Mapped(kTransIsolation, value))
      AddProperty(u"IsolationLevel", level);
    return;
  }
  if (type == u"TADOConnection") {
    if (name == u"IsolationLevel") {
      if (const char16_t* level = Mapped(kAdoIsolationLevel, value))
        AddProperty(u"IsolationLevel", level);
      return;
    }
    if (name == u"ConnectionString") return AddProperty(u"ConnectString", value);
    if (name == u"DefaultDatabase") return AddProperty(u"Database", value);
  }
  if (name == u"CommandText" && (type == u"TADOCommand" || type == u"TADODataSet"))
    return AddProperty(u"SQL.Strings", u"(" + String(value) + u")");
  if (name == u"ProcedureName" && type == u"TADOStoredProc")
    return AddProperty(u"StoredProcName", value);
  if (name == u"DataSource" &&
      (type == u"TADOQuery" || type == u"TADODataSet" || type == u"TADOStoredProc"))
    return AddProperty(u"MasterSource", value);
  if (name == u"IndexFieldNames" && type == u"TTable") return AddProperty(u"DetailFields", value);

  TFormParser::ConvertProperty(name, value);
}

}  // namespace mirel
