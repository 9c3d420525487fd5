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

}  // namespace mirel
