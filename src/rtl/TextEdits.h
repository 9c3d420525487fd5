// Edits as data: a scanner that rewrites a text says what to replace (where,
// how much, with what) and one function builds the new text from the list.
// Everything between the edits is copied in runs, so a text with few edits
// costs one pass over it.
#pragma once

#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

/// Length characters of a text at Offset are replaced by Text (Length 0:
/// Text is inserted there).
struct TTextEdit {
  size_t Offset = 0;
  size_t Length = 0;
  String Text;
};

/// The edits of one text, in text order. Add checks that an edit begins no
/// earlier than the previous one ends (EAssertionFailed otherwise): two
/// edits of the same characters are a fault of the scanner that made them.
class TTextEdits {
 public:
  void Add(size_t offset, size_t length, String text);
  bool Empty() const { return edits_.empty(); }
  size_t Count() const { return edits_.size(); }
  const std::vector<TTextEdit>& Items() const { return edits_; }

  /// The text with every edit made. EAssertionFailed when an edit reaches
  /// beyond its end.
  String ApplyTo(StringView text) const;

 private:
  std::vector<TTextEdit> edits_;
  // The size change of all edits, for the one allocation of ApplyTo.
  std::ptrdiff_t growth_ = 0;
};

}  // namespace mirel
