// The follow-up tables of the two profiles: what code in a unit may still use
// after a migration that the target library has no counterpart for. They sit
// beside the form-property rules because they are their other half: a
// property the rules convert or drop in a form is, in code, a member the user
// must rewrite by hand. FindFollowUps (replace/FollowUps.h) reads them.
//
// docs/follow-ups.md shows every row; keep the two in step (a test checks).
#pragma once

#include <span>

#include "rtl/SysUtils.h"

namespace mirel {

/// A member of some source classes that the target class does not publish.
/// The hint of a use is "<target class> has no <Name>: <Advice>".
struct TFollowUpMember {
  const char16_t* Name;
  /// The source classes that have it, separated by blanks (as the profile's
  /// class map spells them; compared without regard to case).
  const char16_t* Classes;
  const char16_t* Advice;
};

/// A routine, variable or type of the source library without a counterpart;
/// its hint is Hint as it stands.
struct TFollowUpName {
  const char16_t* Name;
  const char16_t* Hint;
};

struct TFollowUpRules {
  const char16_t* Profile;  // "BDE" or "ADO"
  std::span<const TFollowUpMember> Members;
  std::span<const TFollowUpName> Names;
  /// Names that begin with Name exactly as written and go on with a capital
  /// letter (Dbi: DbiGetSysInfo, not DBInfo); the hint is the row's.
  std::span<const TFollowUpName> Prefixes;
  /// The source library's units: a name qualified by one of them
  /// (DBTables.Session) is still the library's.
  std::span<const char16_t* const> Units;
};

/// The tables; static data, alive for the whole program.
const TFollowUpRules& BdeFollowUpRules();
const TFollowUpRules& AdoFollowUpRules();

}  // namespace mirel
