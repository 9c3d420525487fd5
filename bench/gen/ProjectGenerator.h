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
// Every tenth form is binary with a 16-bit resource header, written with
// TextToBinaryForm from the text the generator made. Units come mostly in the
// default code page (Windows-1252), some in UTF-8 or UTF-16LE with their
// byte-order mark; their accented letters are all Latin-1 letters.
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

class TProjectGenerator {
 public:
  explicit TProjectGenerator(uint64_t seed) : seed_(seed) {}

  /// Unit number `index`; with a form when withForm is set (its form is
  /// Form(index)). Throws nothing.
  TGenFile Unit(int index, bool withForm) const;
  /// The form file of unit `index`: text, or binary when index % 10 == 9.
  TGenFile Form(int index) const;
  /// The form of unit `index` as text in the default code page, whatever
  /// kind Form(index) writes.
  std::string FormText(int index) const;
  /// The project file that uses units 0..units-1 (those below forms with
  /// their forms).
  TGenFile ProjectFile(int units, int forms) const;

  /// The base name of unit `index` ("Customers0017").
  static std::string UnitName(int index);
  static bool IsBinaryForm(int index) { return index % 10 == 9; }

 private:
  uint64_t FileSeed(int index, uint64_t kind) const;

  uint64_t seed_;
};

/// The summary of a written project.
struct TGenSummary {
  int Units = 0;
  int TextForms = 0;
  int BinaryForms = 0;
  uint64_t Bytes = 0;
};

/// Writes bytes as the whole file path; false when that fails.
bool SaveFile(const std::string& path, std::string_view bytes);

/// Writes units 0..units-1, forms for the first `forms` of them and the
/// project file into folder (which must exist). Throws std::runtime_error
/// naming the file when one cannot be written.
TGenSummary WriteProject(const TProjectGenerator& gen, const std::string& folder, int units,
                         int forms);

}  // namespace mirel::bench
