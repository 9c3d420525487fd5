// TDatabaseMap: which component a database name stands for, as a run learns it
// from the TDatabase objects of the forms ("Sales" = "DataModule1.DB1").
//
// It behaves as the name=value lines of a string list: names are compared
// without regard to ASCII case, the first line of a name wins, setting an
// empty value deletes that line, and Text lists the lines in the order they
// were added. Unlike a string list it finds a name through a hash index, so a
// project whose every form declares its own database fills the map in time
// that grows with the number of forms, not with its square.
//
// Lookups are const and may run on several threads at once, as long as
// nothing changes the map meanwhile (a run fills it before any form is
// converted).
#pragma once

#include <unordered_map>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

class TDatabaseMap {
 public:
  int Count() const { return static_cast<int>(lines_.size()); }
  /// Line i, "name=value".
  const String& operator[](int i) const { return lines_.at(static_cast<size_t>(i)); }

  /// Appends a line as it stands; a line without '=' names nothing.
  void Add(const String& line);
  /// The value of the first line named name, "" if none.
  String Values(StringView name) const;
  /// Sets the value of the first line named name, or appends "name=value";
  /// an empty value deletes that line.
  void SetValue(StringView name, StringView value);
  void Clear();

  /// All lines, each followed by CR LF.
  String Text() const;

 private:
  /// The index of the first line named name, -1 if none.
  int IndexOfName(StringView name) const;
  void IndexLine(int i);
  void Reindex();

  std::vector<String> lines_;
  /// Lower-cased name -> index of its first line.
  std::unordered_map<String, int> first_line_;
};

}  // namespace mirel
