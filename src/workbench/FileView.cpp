#include "workbench/FileView.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "files/Paths.h"
#include "workbench/PascalHighlighter.h"
#include "workbench/ViewText.h"

namespace mirel {

TFileView::TFileView(const QString& file, bool form, QWidget* parent)
    : QWidget(parent), file_(file), form_(form) {
  setObjectName(form ? QStringLiteral("formView") : QStringLiteral("codeView"));
  banner_ =
      new QLabel(tr("Binary form file, shown as the form text it converts to. Read only."), this);
  banner_->setObjectName(QStringLiteral("binaryBanner"));
  banner_->setStyleSheet(QStringLiteral("background: #fff4c2; padding: 4px;"));
  banner_->setVisible(false);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("viewText"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  if (form || IsPascalSource(file.toStdU16String())) new TPascalHighlighter(text_->document());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(banner_);
  layout->addWidget(text_, 1);
  Reload();
}

QString TFileView::Text() const {
  return text_->toPlainText();
}

QString TFileView::Title() const {
  const QString name = QFileInfo(file_).fileName();
  return binary_ ? tr("%1 [binary]").arg(name) : name;
}

bool TFileView::Reload() {
  const TViewText view = ReadViewText(file_);
  error_ = view.Error;
  if (!error_.isEmpty()) return false;
  const int top = text_->verticalScrollBar()->value();
  text_->setPlainText(view.Text);
  text_->verticalScrollBar()->setValue(top);
  binary_ = view.BinaryForm;
  banner_->setVisible(binary_);
  return true;
}

}  // namespace mirel
