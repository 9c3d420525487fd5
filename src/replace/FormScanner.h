// TFormScanner: the Pascal lexer as the walks over a form file need it, for
// converting a form and for collecting its database names alike. It knows
// which identifier of an object header ("object", "inherited" or "inline",
// then the name, ":" and the class) is the object's name and which its class,
// and it can continue after an object the form parser has taken (the scan
// resumes where the parse ended, as if the text had been cut there, without
// copying the rest of the text).
//
// A keyword that stands where a name does is an identifier and opens and
// closes nothing:
//  - the object's name or class in a header (a component named Item);
//  - a property name ("End = 1", "Item.Tag = 2") or a part of one;
//  - a value ("Kind = end").
// Counting a property named End as the end of its object would make the
// depth of the objects after it wrong, down to a depth below the form's root.
#pragma once

#include "pascal/PasParser.h"

namespace mirel {

/// What an identifier is in its object header.
enum class THeaderRole {
  None,        ///< not part of a header: a property name, a value, ...
  ObjectName,  ///< the first identifier after the keyword
  ClassName,   ///< the identifier after the name
};

class TFormScanner : public TPasParser {
 public:
  using TPasParser::TPasParser;

  /// Resumes the scan at pos, outside any header.
  void ContinueAt(size_t pos);

  /// The next lexem, as GetNext gives it, except that a keyword standing
  /// where a name does comes as LexIdent; role says what an identifier is
  /// in its header (None for every other lexem).
  int Next(StringView& lexem, THeaderRole& role);

  static bool IsHeaderKeyword(int code) {
    return code == LexKwObject || code == LexKwInherited || code == LexKwInline;
  }

 private:
  // Whether "=" or "." follows pos, after blanks: what stands before is a
  // property name.
  bool NameFollows(size_t pos) const;

  int last_ = LexEnd;            // the last lexem's code, blanks aside
  bool name_expected_ = false;   // a header keyword was just read
  bool class_expected_ = false;  // its name was just read
};

}  // namespace mirel
