// Edits as data: replacements, insertions and deletions applied in one pass,
// and two edits of the same characters refused as the scanner fault they are.
#include <gtest/gtest.h>

#include "rtl/TextEdits.h"

using namespace mirel;

TEST(TextEdits, ReplaceInsertDeleteAndOverlapIsAFault) {
  TTextEdits edits;
  EXPECT_EQ(u"object Q: TQuery", edits.ApplyTo(u"object Q: TQuery"));  // none: the text as it is
  edits.Add(0, 0, u"{x}");                                             // insert at the start
  edits.Add(10, 6, u"TKyQuery");                                       // replace
  edits.Add(16, 0, u" [1]");  // insert right after it, at the end
  EXPECT_EQ(u"{x}object Q: TKyQuery [1]", edits.ApplyTo(u"object Q: TQuery"));
  EXPECT_THROW(edits.Add(15, 1, u""), EAssertionFailed);  // inside the replacement
  EXPECT_EQ(3u, edits.Count());

  TTextEdits beyond;
  beyond.Add(3, 5, u"");
  EXPECT_THROW(beyond.ApplyTo(u"short"), EAssertionFailed);
}
