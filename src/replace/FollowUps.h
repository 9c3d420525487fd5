// Follow-ups: the places in a unit that a migration cannot fix and the user
// must look at by hand, found with the Pascal lexer alone (no parser):
//  - a member of the profile's follow-up table used on a name the unit
//    declares with a mapped class (A.DatabaseName, Self.A.DatabaseName,
//    Form1.A.SessionName), on a typecast to a mapped class
//    (TQuery(Sender).RequestLive, (Sender as TQuery).RequestLive), or bare
//    inside a with statement whose object is such a name or typecast;
//  - a routine, variable or type of the source library without counterpart
//    (Session, TSession, DbiGetSysInfo), bare or qualified by one of the
//    library's units (DBTables.Session).
// Strings, comments and uses clauses are never looked at. Where the text
// leaves a doubt (a name declared with two types, a with over an object of
// unknown class, a name the unit declares itself) nothing is reported: a
// follow-up missed is better than a false one. docs/follow-ups.md has the
// details and the tables (forms/FollowUpRules.h).
#pragma once

#include <functional>
#include <vector>

#include "forms/FollowUpRules.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// One place in a unit that the migration cannot fix and the user must look at.
struct TFollowUp {
  int Line = 0;    // 1-based; CR LF, LF and a lone CR each end a line
  int Column = 0;  // 1-based, in UTF-16 code units of the decoded text
  /// The text found, as written: "Query1.DatabaseName" (from the object's
  /// name), "DatabaseName" (bare, in a with), "DbiGetSysInfo",
  /// "DBTables.Session". Line and Column give its first character.
  String Text;
  /// Short advice: "TKyQuery has no DatabaseName: set Connection to the
  /// TKyConnection instead", or the table's hint of a routine or type.
  String Hint;

  bool operator==(const TFollowUp&) const = default;
};

/// The follow-ups of unitText (a unit's decoded text, before conversion), in
/// text order. targetOf answers, for a class name in any letter case, the
/// target class the profile maps it to, or nullptr when the profile does not
/// map it; it is called during the call only. Pure: the same text and rules
/// give the same list. Never throws on any text (other than bad_alloc).
std::vector<TFollowUp> FindFollowUps(StringView unitText, const TFollowUpRules& rules,
                                     const std::function<const String*(StringView)>& targetOf);

}  // namespace mirel
