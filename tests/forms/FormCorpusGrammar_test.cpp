// Every form text the binary-to-text conversion writes must be accepted by
// the form grammar, object by object: otherwise an object of a binary form
// would keep its old properties under its new class.
#include <gtest/gtest.h>

#include "forms/FormParser.h"
#include "rtl/FormConvert.h"
#include "support/BinFormCorpus.h"

using namespace mirel;

namespace {

// 1-based positions of every object keyword that starts a line of the text.
std::vector<int> ObjectKeywords(StringView text) {
  std::vector<int> found;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    while (start < text.size() && text[start] == u' ') ++start;
    for (StringView kw : {u"object ", u"inherited ", u"inline "}) {
      // "object = 1" is a property that happens to be called object.
      if (text.substr(start, kw.size()) == kw && text.substr(start + kw.size(), 1) != u"=")
        found.push_back(static_cast<int>(start) + 1);
    }
    i = text.find(u'\n', i);
    if (i == StringView::npos) break;
    ++i;
  }
  return found;
}

void ExpectEveryObjectParses(TFormParser& parser, StringView text, int form) {
  for (int pos : ObjectKeywords(text)) {
    int p = pos;
    const bool ok = parser.Parse(text, u"<object>", p);
    EXPECT_TRUE(ok) << "form " << form << ", object at " << pos << ":\n"
                    << ToUtf8(text.substr(static_cast<size_t>(pos - 1), 400));
    if (!ok) return;
  }
}

}  // namespace

TEST(FormCorpusGrammar, EveryObjectOfEveryConvertedBinaryFormParses) {
  for (int codePage : {1252, 1251}) {
    const TEncoding& cp = TEncoding::CodePage(codePage);
    mirel::testing::TBinFormCorpus corpus(20261208 + static_cast<uint64_t>(codePage));
    TFormParser parser;
    for (int form = 0; form < 300; ++form) {
      const std::string stream = WriteObjectStream(corpus.NextForm());
      const String text = ObjectBinaryToText(stream, cp);
      ExpectEveryObjectParses(parser, text, form);
      if (HasFailure()) return;
    }
  }
}

TEST(FormCorpusGrammar, MemoAndLookaheadGiveTheSameObjectsOnTheCorpus) {
  mirel::testing::TBinFormCorpus corpus(77);
  TFormParser fast, plain;
  plain.SetMemoization(false);
  plain.SetLookahead(false);
  int objects = 0;
  for (int form = 0; form < 25; ++form) {
    const String text = ObjectBinaryToText(WriteObjectStream(corpus.NextForm()));
    for (int pos : ObjectKeywords(text)) {
      int a = pos, b = pos;
      fast.SetTargetClass(u"TNew");
      plain.SetTargetClass(u"TNew");
      ASSERT_EQ(plain.Parse(text, u"<object>", b), fast.Parse(text, u"<object>", a));
      EXPECT_EQ(b, a);
      EXPECT_EQ(plain.WriteObject(1), fast.WriteObject(1));
      EXPECT_EQ(plain.NestedObjects(), fast.NestedObjects());
      ++objects;
    }
  }
  EXPECT_GT(objects, 80);
}
