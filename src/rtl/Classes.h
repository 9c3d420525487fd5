// The runtime class registry: class names the program can look up at run time
// with the names of the properties each class publishes (what a form file may
// set on an object of that class).
//
// A class is described by a TClassInfo that lives for the whole program (the
// registry only borrows it). Names are compared without regard to case, as
// class and property names of Delphi forms are.
#pragma once

#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

class TClassInfo {
 public:
  /// `published` lists the property names; `parent` (borrowed, may be null)
  /// contributes its own published properties.
  TClassInfo(String name, std::vector<String> published, const TClassInfo* parent = nullptr);

  const String& ClassName() const { return name_; }
  /// Whether the class or one of its ancestors publishes the property.
  bool HasPublished(StringView property) const;

 private:
  String name_;
  std::vector<String> published_;  // sorted, folded to lower case
  const TClassInfo* parent_;
};

/// Adds a class to the registry. Registering the same object again does
/// nothing; another class under a registered name is an internal error.
void RegisterClass(const TClassInfo& cls);
/// Removes a class (for unloading and tests); unknown classes are ignored.
void UnRegisterClass(const TClassInfo& cls);
/// The registered class of that name, or null when none is registered.
const TClassInfo* GetClass(StringView name);
/// Whether cls publishes a property of that name: the published-property
/// query the form-property rules ask.
bool GetPropInfo(const TClassInfo& cls, StringView property);

}  // namespace mirel
