// Colours for the read-only code view: Pascal keywords, comments ({ },
// (* *), //, which may span lines), strings and compiler directives. Form
// text uses the same rules ("object", "end", "inherited" are keywords).
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace mirel {

class TPascalHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  /// Highlights document (borrowed; the highlighter becomes its child).
  explicit TPascalHighlighter(QTextDocument* document);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QTextCharFormat keyword_, comment_, string_, directive_, number_;
};

}  // namespace mirel
