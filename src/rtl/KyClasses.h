// The component classes of the Mirel library for SQL Server that forms are
// migrated to, described by the properties each publishes. The migration
// profiles register these classes at start-up; the form-property rules keep a
// property on a migrated object only when its new class publishes it.
//
// The descriptions are static and live for the whole program.
#pragma once

#include <vector>

#include "rtl/Classes.h"

namespace mirel {

const TClassInfo& TKyConnectionClass();
const TClassInfo& TKyQueryClass();
const TClassInfo& TKyTableClass();
const TClassInfo& TKyStoredProcClass();
const TClassInfo& TKyUpdateSQLClass();

/// The five classes above, in that order.
std::vector<const TClassInfo*> KyTargetClasses();

}  // namespace mirel
