// A generator of synthetic Delphi projects for the benchmarks: units that use
// DBTables or ADODB and name the data-access classes in code and comments,
// and their form files with realistic mixes of mapped and unmapped objects,
// nested panels and pages, long SQL strings, collections and binary data.
//
// Everything is a pure function of the seed and the file's index, so the same
// seed always gives the same bytes, and file i does not change when the
// project is made larger. The random numbers come from our own splitmix64,
// not from <random>'s distributions, whose results differ between standard
// libraries.
//
// Two shapes. The generated one: every tenth form is binary with a 16-bit
// resource header, written with TextToBinaryForm from the text the generator
// made; units come mostly in the default code page (Windows-1252), some in
// UTF-8 or UTF-16LE with their byte-order mark; their accented letters are
// all Latin-1 letters. The real one follows what public applications look
// like (see TShape::Real).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirel::bench {

/// One generated file: its name (no folder) and its bytes as on disk.
struct TGenFile {
  std::string Name;
  std::string Bytes;
};

/// What one unit (and its form) declares, so the unit's class matches its
/// form.
struct TGenComponent {
  std::string Name;
  std::string ClassName;
};

enum class TShape {
  /// Dense in mapped objects: 70 % of the units use DBTables and 20 % ADODB,
  /// the first --forms units have a form, forms of 1 to 500 KB.
  Generated,
  /// Shaped like public applications: 60 % of the units have a form, half
  /// the units use mapped classes (DBTables or ADODB), 27 % of the forms are
  /// binary; forms of 2 to 200 KB and units of 1 to 70 KB, most of them
  /// small (medians 13 KB and 5 KB); a form holds a few mapped objects, now
  /// and then nested in a panel, and a sixth of the forms are inherited (an
  /// `inherited` root, some `inherited` mapped objects); one unit in 250 is a
  /// type-library import of 1 to 2 MB. Windows-1252 text with accented letters in strings
  /// and comments (a few units in UTF-8).
  Real,
};

class TProjectGenerator {
 public:
  explicit TProjectGenerator(uint64_t seed, TShape shape = TShape::Generated)
      : seed_(seed), shape_(shape) {}

  /// Unit number `index`; with a form when withForm is set (its form is
  /// Form(index)). Throws nothing.
  TGenFile Unit(int index, bool withForm) const;
  /// The form file of unit `index`: text, or binary when IsBinaryForm.
  TGenFile Form(int index) const;
  /// The form of unit `index` as text in the default code page, whatever
  /// kind Form(index) writes.
  std::string FormText(int index) const;
  /// The project file that uses units 0..units-1 (those below forms with
  /// their forms).
  TGenFile ProjectFile(int units, int forms) const;

  /// Whether unit `index` of a project with `forms` forms has one: the
  /// first `forms` units in the generated shape; in the real shape a unit's
  /// own draw, whatever `forms` says, so that a larger project keeps the
  /// files of a smaller one.
  bool HasForm(int index, int forms) const;
  /// Whether Form(index) is binary: every tenth form in the generated shape,
  /// 27 % in the real one.
  bool IsBinaryForm(int index) const;
  /// Whether unit `index`, when it has no form, is a type-library import
  /// (real shape only).
  bool IsTypeLibrary(int index) const;

  /// The base name of unit `index` ("Customers0017").
  static std::string UnitName(int index);

 private:
  uint64_t FileSeed(int index, uint64_t kind) const;
  TGenFile RealUnit(int index, bool withForm) const;

  uint64_t seed_;
  TShape shape_;
};

/// The summary of a written project.
struct TGenSummary {
  int Units = 0;
  int TypeLibraries = 0;
  int TextForms = 0;
  int BinaryForms = 0;
  uint64_t Bytes = 0;
};

/// Writes bytes as the whole file path; false when that fails.
bool SaveFile(const std::string& path, std::string_view bytes);

/// Writes units 0..units-1, forms for those that have one (HasForm) and the
/// project file into folder (which must exist). Throws std::runtime_error
/// naming the file when one cannot be written.
TGenSummary WriteProject(const TProjectGenerator& gen, const std::string& folder, int units,
                         int forms);

}  // namespace mirel::bench
