#include "forms/FollowUpRules.h"

namespace mirel {

// The members are the properties the form rules (FormParser.cpp,
// KyFormParser.cpp) convert or drop for a class, and the few public ones of
// the source library that only make sense on it (handles, sessions, ADO
// objects). A member the target class publishes (rtl/KyClasses.cpp) is never
// listed: code that sets it compiles and means the same after the run. The
// class lists say which classes really have the member, because inside a
// with block a name the object lacks means something else.
namespace {

#define BDE_DATA_SETS u"TQuery TwwQuery TTable TwwTable TStoredProc TwwStoredProc"

constexpr TFollowUpMember kBdeMembers[] = {
    {u"DatabaseName", BDE_DATA_SETS, u"set Connection to the TKyConnection instead"},
    {u"DatabaseName", u"TDatabase", u"data sets name the connection itself in Connection"},
    {u"Database", BDE_DATA_SETS, u"use Connection instead"},
    {u"SessionName", u"TDatabase " BDE_DATA_SETS, u"there are no sessions; remove it"},
    {u"Session", u"TDatabase", u"there are no sessions; remove it"},
    {u"DBSession", BDE_DATA_SETS, u"there are no sessions; remove it"},
    {u"AliasName", u"TDatabase", u"set Server and Database instead"},
    {u"DriverName", u"TDatabase", u"set Server and Database instead"},
    {u"Params", u"TDatabase", u"set Database, Server, Username and Password instead"},
    {u"TransIsolation", u"TDatabase", u"use IsolationLevel instead"},
    {u"KeepConnection", u"TDatabase", u"remove it"},
    {u"HandleShared", u"TDatabase", u"remove it"},
    {u"Exclusive", u"TDatabase TTable TwwTable", u"remove it"},
    {u"Handle", u"TDatabase " BDE_DATA_SETS, u"there is no BDE handle; rewrite the code"},
    {u"DBHandle", BDE_DATA_SETS, u"there is no BDE handle; rewrite the code"},
    {u"RequestLive", u"TQuery TwwQuery", u"use ReadOnly instead"},
    {u"Constrained", u"TQuery TwwQuery", u"remove it"},
    {u"DataSource", u"TQuery TwwQuery", u"use MasterSource instead"},
    {u"UpdateMode", u"TQuery TwwQuery TTable TwwTable", u"name the key in KeyFields instead"},
    {u"IndexName", u"TTable TwwTable", u"use OrderFields instead"},
    {u"IndexFieldNames", u"TTable TwwTable",
     u"use DetailFields (as the forms do) or OrderFields instead"},
    {u"IndexDefs", u"TTable TwwTable", u"remove it; the indexes are the server's"},
    {u"TableType", u"TTable TwwTable", u"remove it"},
    {u"ParamBindMode", u"TStoredProc TwwStoredProc", u"remove it"},
    {u"Overload", u"TStoredProc TwwStoredProc", u"remove it"},
};

constexpr TFollowUpName kBdeNames[] = {
    {u"Session", u"BDE sessions have no counterpart; use the TKyConnection"},
    {u"Sessions", u"BDE sessions have no counterpart; use the TKyConnection"},
    {u"TSession", u"BDE sessions have no counterpart; use the TKyConnection"},
    {u"TSessionList", u"BDE sessions have no counterpart; use the TKyConnection"},
    {u"TBDEDataSet", u"a BDE base class; the target's data sets descend from TKyDataSet"},
    {u"TDBDataSet", u"a BDE base class; the target's data sets descend from TKyDataSet"},
    {u"TNestedTable", u"a BDE class without counterpart"},
    {u"TBDECallback", u"a BDE class without counterpart"},
    {u"TDBError", u"BDE's error entry has no counterpart; rewrite the error handling"},
    {u"DBIResult", u"a BDE API type without counterpart"},
};

constexpr TFollowUpName kBdePrefixes[] = {
    {u"Dbi", u"a BDE API routine without counterpart; rewrite the code (and its Check)"},
    {u"hDBI", u"a BDE API handle without counterpart"},
    {u"DBIERR_", u"a BDE API error code without counterpart"},
};

constexpr const char16_t* kBdeUnits[] = {u"DBTables", u"BDE", u"DbiProcs", u"DbiTypes", u"DbiErrs"};

#define ADO_DATA_SETS u"TADODataSet TADOTable TADOQuery TADOStoredProc"
#define ADO_PARAMETERS u"TADOCommand TADODataSet TADOQuery TADOStoredProc"

constexpr TFollowUpMember kAdoMembers[] = {
    {u"ConnectionString", u"TADOConnection", u"use ConnectString instead"},
    {u"ConnectionString", u"TADOCommand " ADO_DATA_SETS,
     u"set Connection to the TKyConnection instead"},
    {u"DefaultDatabase", u"TADOConnection", u"use Database instead"},
    {u"Provider", u"TADOConnection", u"remove it"},
    {u"Mode", u"TADOConnection", u"remove it"},
    {u"Attributes", u"TADOConnection", u"remove it"},
    {u"KeepConnection", u"TADOConnection", u"remove it"},
    {u"ConnectionTimeout", u"TADOConnection", u"remove it"},
    {u"CommandTimeout", u"TADOConnection TADOCommand " ADO_DATA_SETS, u"remove it"},
    {u"CursorLocation", u"TADOConnection " ADO_DATA_SETS, u"remove it"},
    {u"ConnectionObject", u"TADOConnection", u"there is no ADO object behind it; rewrite the code"},
    {u"Errors", u"TADOConnection", u"there is no ADO error list; rewrite the code"},
    {u"Properties", u"TADOConnection " ADO_DATA_SETS,
     u"there are no ADO properties; rewrite the code"},
    {u"OnWillConnect", u"TADOConnection", u"use BeforeConnect (other parameters) instead"},
    {u"OnConnectComplete", u"TADOConnection", u"use AfterConnect (other parameters) instead"},
    {u"OnDisconnect", u"TADOConnection", u"use AfterDisconnect (other parameters) instead"},
    {u"OnInfoMessage", u"TADOConnection", u"remove it"},
    {u"OnWillExecute", u"TADOConnection", u"remove it"},
    {u"OnExecuteComplete", u"TADOConnection", u"remove it"},
    {u"OnBeginTransComplete", u"TADOConnection", u"remove it"},
    {u"OnCommitTransComplete", u"TADOConnection", u"remove it"},
    {u"OnRollbackTransComplete", u"TADOConnection", u"remove it"},
    {u"CommandText", u"TADOCommand TADODataSet", u"use SQL instead"},
    {u"CommandType", u"TADOCommand TADODataSet", u"remove it; SQL holds the statement"},
    {u"Parameters", ADO_PARAMETERS, u"use Params instead"},
    {u"ExecuteOptions", u"TADOCommand " ADO_DATA_SETS, u"remove it"},
    {u"ProcedureName", u"TADOStoredProc", u"use StoredProcName instead"},
    {u"DataSource", u"TADODataSet TADOQuery TADOStoredProc", u"use MasterSource instead"},
    {u"CursorType", ADO_DATA_SETS, u"remove it"},
    {u"LockType", ADO_DATA_SETS, u"remove it"},
    {u"MaxRecords", ADO_DATA_SETS, u"remove it"},
    {u"EnableBCD", ADO_DATA_SETS, u"remove it"},
    {u"Recordset", ADO_DATA_SETS, u"there is no ADO recordset behind it; rewrite the code"},
    {u"TableDirect", u"TADOTable", u"remove it"},
    {u"IndexName", u"TADOTable", u"use OrderFields instead"},
    {u"IndexFieldNames", u"TADOTable", u"use OrderFields instead"},
    {u"OnWillChangeField", ADO_DATA_SETS, u"remove it"},
    {u"OnFieldChangeComplete", ADO_DATA_SETS, u"remove it"},
    {u"OnWillChangeRecord", ADO_DATA_SETS, u"use BeforeEdit, BeforeInsert or BeforeDelete instead"},
    {u"OnRecordChangeComplete", ADO_DATA_SETS, u"use AfterPost or AfterDelete instead"},
    {u"OnWillChangeRecordset", ADO_DATA_SETS, u"remove it"},
    {u"OnRecordsetChangeComplete", ADO_DATA_SETS, u"remove it"},
    {u"OnWillMove", ADO_DATA_SETS, u"use BeforeScroll instead"},
    {u"OnMoveComplete", ADO_DATA_SETS, u"use AfterScroll instead"},
    {u"OnEndOfRecordset", ADO_DATA_SETS, u"remove it"},
    {u"OnFetchProgress", ADO_DATA_SETS, u"remove it"},
    {u"OnFetchComplete", ADO_DATA_SETS, u"remove it"},
};

constexpr TFollowUpName kAdoNames[] = {
    {u"TCustomADODataSet", u"an ADO base class; the target's data sets descend from TKyDataSet"},
    {u"TADOBlobStream", u"an ADO class without counterpart; use the data set's CreateBlobStream"},
    {u"TParameters", u"ADO's parameter list; the target's data sets have Params"},
    {u"TParameter", u"ADO's parameter; the target's data sets have Params"},
    {u"TRDSConnection", u"an ADO class without counterpart"},
    {u"EADOError", u"ADO's exception has no counterpart; rewrite the error handling"},
    {u"CreateADOObject", u"ADO objects have no counterpart; rewrite the code"},
    {u"_Recordset", u"an ADO interface without counterpart; rewrite the code"},
    {u"_Connection", u"an ADO interface without counterpart; rewrite the code"},
    {u"_Command", u"an ADO interface without counterpart; rewrite the code"},
    {u"GetProviderNames", u"an ADO routine without counterpart"},
    {u"PromptDataSource", u"ADO's connection dialog; TKyConnection has ConnectDialog"},
    {u"EditConnectionString", u"ADO's connection dialog; TKyConnection has ConnectDialog"},
};

constexpr const char16_t* kAdoUnits[] = {u"ADODB", u"ADOInt", u"ADOConEd"};

#undef BDE_DATA_SETS
#undef ADO_DATA_SETS
#undef ADO_PARAMETERS

}  // namespace

const TFollowUpRules& BdeFollowUpRules() {
  static const TFollowUpRules rules{u"BDE", kBdeMembers, kBdeNames, kBdePrefixes, kBdeUnits};
  return rules;
}

const TFollowUpRules& AdoFollowUpRules() {
  static const TFollowUpRules rules{u"ADO", kAdoMembers, kAdoNames, {}, kAdoUnits};
  return rules;
}

}  // namespace mirel
