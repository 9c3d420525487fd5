// The log lines a file's conversion adds when it meets something the user
// should know of, though the file is still converted (or left as it is).
#pragma once

#include "rtl/Encoding.h"

namespace mirel {

/// A text without a byte-order mark that looks like UTF-16
/// (LooksLikeUnmarkedUtf16): it was read in readAs, so nothing in it can have
/// been found.
inline String UnmarkedUtf16Note(const TEncoding& readAs) {
  return u"The file looks like UTF-16 text without a byte-order mark; it was read as " +
         readAs.Name() + u" text";
}

/// The form file a unit's resource directive names is not there: the unit is
/// converted, its form is not.
inline String FormFileNotFoundNote(const String& formFile) {
  return u"Form file not found: " + formFile;
}

/// A unit declares a class of a mapped name itself: that name is its own
/// class, not the library's, and is left alone throughout the unit.
inline String OwnClassKeptNote(StringView className) {
  return u"Class " + String(className) + u" is declared in this unit; its name was left unchanged";
}

/// The root object of a form (the form, data module or frame itself) has a
/// mapped class name: it is the form's own class and is not converted.
inline String FormRootKeptNote(StringView objectName, StringView className) {
  return u"Object " + String(objectName) + u": " + String(className) +
         u" is the form itself; its class was left unchanged";
}

}  // namespace mirel
