#include "rtl/KyClasses.h"

namespace mirel {

// The published properties of the target library, one class per block. Keep
// docs/target-library.md in step with this table.
namespace {

const TClassInfo& Component() {
  static const TClassInfo cls(u"TComponent", {u"Name", u"Tag"});
  return cls;
}

const TClassInfo& DataSet() {
  static const TClassInfo cls(u"TKyDataSet",
                              {
                                  u"Connection",
                                  u"Active",
                                  u"AutoCalcFields",
                                  u"CachedUpdates",
                                  u"Filter",
                                  u"Filtered",
                                  u"FilterOptions",
                                  u"MasterSource",
                                  u"MasterFields",
                                  u"DetailFields",
                                  u"Options",
                                  u"ReadOnly",
                                  u"UniDirectional",
                                  u"UpdateObject",
                                  u"FetchRows",
                                  u"KeyFields",
                                  u"RefreshOptions",
                                  u"Params",
                                  // the events of every data set
                                  u"BeforeOpen",
                                  u"AfterOpen",
                                  u"BeforeClose",
                                  u"AfterClose",
                                  u"BeforeInsert",
                                  u"AfterInsert",
                                  u"BeforeEdit",
                                  u"AfterEdit",
                                  u"BeforePost",
                                  u"AfterPost",
                                  u"BeforeCancel",
                                  u"AfterCancel",
                                  u"BeforeDelete",
                                  u"AfterDelete",
                                  u"BeforeScroll",
                                  u"AfterScroll",
                                  u"BeforeRefresh",
                                  u"AfterRefresh",
                                  u"OnCalcFields",
                                  u"OnDeleteError",
                                  u"OnEditError",
                                  u"OnFilterRecord",
                                  u"OnNewRecord",
                                  u"OnPostError",
                                  u"OnUpdateError",
                                  u"OnUpdateRecord",
                              },
                              &Component());
  return cls;
}

}  // namespace

const TClassInfo& TKyConnectionClass() {
  static const TClassInfo cls(
      u"TKyConnection",
      {
          u"Database",         u"Server",           u"Username",       u"Password",
          u"ConnectString",    u"IsolationLevel",   u"LoginPrompt",    u"Connected",
          u"Options",          u"Pooling",          u"PoolingOptions", u"ConnectDialog",
          u"AutoCommit",       u"AfterConnect",     u"BeforeConnect",  u"AfterDisconnect",
          u"BeforeDisconnect", u"OnConnectionLost", u"OnError",        u"OnLogin",
      },
      &Component());
  return cls;
}

const TClassInfo& TKyQueryClass() {
  static const TClassInfo cls(
      u"TKyQuery", {u"SQL", u"SQLInsert", u"SQLUpdate", u"SQLDelete", u"SQLRefresh", u"SQLLock"},
      &DataSet());
  return cls;
}

const TClassInfo& TKyTableClass() {
  static const TClassInfo cls(u"TKyTable", {u"TableName", u"OrderFields", u"FilterSQL"},
                              &DataSet());
  return cls;
}

const TClassInfo& TKyStoredProcClass() {
  static const TClassInfo cls(u"TKyStoredProc", {u"StoredProcName", u"SQL"}, &DataSet());
  return cls;
}

const TClassInfo& TKyUpdateSQLClass() {
  static const TClassInfo cls(u"TKyUpdateSQL",
                              {u"DataSet", u"InsertSQL", u"ModifySQL", u"DeleteSQL", u"RefreshSQL",
                               u"LockSQL", u"FetchRowSQL"},
                              &Component());
  return cls;
}

std::vector<const TClassInfo*> KyTargetClasses() {
  return {&TKyConnectionClass(), &TKyQueryClass(), &TKyTableClass(), &TKyStoredProcClass(),
          &TKyUpdateSQLClass()};
}

}  // namespace mirel
