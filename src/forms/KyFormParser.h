// TKyFormParser: the form parser of both migration profiles. It translates the
// connection, transaction, SQL and master-detail properties of the BDE and ADO
// components into those of the Mirel SQL Server classes, and hands every other
// property to the generic rules of TFormParser. Grammar, tracking and writing
// are TFormParser's.
#pragma once

#include "forms/FormParser.h"

namespace mirel {

class TKyFormParser : public TFormParser {
 public:
  using TFormParser::TFormParser;

  /// Names, class names and values compared exactly (case matters):
  ///  - Params.Strings of a TDatabase first records Database from its
  ///    DATABASE NAME parameter (when not empty), then goes on to the generic
  ///    rules (Username, Password, Server);
  ///  - TransIsolation of a TDatabase and IsolationLevel of a TADOConnection
  ///    become IsolationLevel with the value mapped (unmapped values dropped);
  ///  - ConnectionString -> ConnectString and DefaultDatabase -> Database of
  ///    a TADOConnection; CommandText of a TADOCommand or TADODataSet ->
  ///    SQL.Strings as a one-item list; ProcedureName of a TADOStoredProc ->
  ///    StoredProcName; DataSource of a TADOQuery, TADODataSet or
  ///    TADOStoredProc -> MasterSource; IndexFieldNames of a TTable ->
  ///    DetailFields; all with the value text unchanged;
  ///  - anything else: the generic rules.
  void ConvertProperty(StringView name, StringView value) override;
};

}  // namespace mirel
