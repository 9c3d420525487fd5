// The two migration profiles, both to the Mirel SQL Server classes:
//  - BdeReplacer: the BDE and InfoPower components, source unit DBTables,
//    11 class pairs;
//  - AdoReplacer: the ADO components, source unit ADODB, 6 class pairs;
// and the one SharedOptions ("BDE/ADO") that both borrow.
//
// The profiles exist between LoadProfiles and the matching UnloadProfiles
// (or for the life of a TProfilesScope). Loading registers the five target
// classes TKyConnection, TKyQuery, TKyTable, TKyStoredProc and TKyUpdateSQL
// with the class registry, then builds SharedOptions, BdeReplacer and
// AdoReplacer, in that order; unloading frees BdeReplacer, AdoReplacer, then
// SharedOptions, and unregisters the classes. Loads are counted: only the
// first builds and only the last unload tears down, so front ends and tests
// may each hold a scope. Nothing happens before the first load, so no static
// initialisation order is involved. Not thread-safe: load and unload from one
// thread.
#pragma once

#include "replace/ReplaceOptions.h"
#include "replace/Replacer.h"

namespace mirel {

/// The units the migrated code uses in place of the source unit; inserted
/// after it in uses clauses, leading comma and blank included.
inline constexpr char16_t kKyTargetUnits[] =
    u", KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem";

void LoadProfiles();
/// Undoes one LoadProfiles; an unload without a load is an internal error
/// (EAssertionFailed).
void UnloadProfiles();
bool ProfilesLoaded();

/// The profiles; valid while loaded (EAssertionFailed otherwise). The
/// references stay valid until the last unload.
TReplaceOptions& SharedOptions();
TComponentReplacer& BdeReplacer();
TComponentReplacer& AdoReplacer();

/// Holds the profiles loaded for its lifetime.
class TProfilesScope {
 public:
  TProfilesScope() { LoadProfiles(); }
  ~TProfilesScope() { UnloadProfiles(); }
  TProfilesScope(const TProfilesScope&) = delete;
  TProfilesScope& operator=(const TProfilesScope&) = delete;
};

}  // namespace mirel
