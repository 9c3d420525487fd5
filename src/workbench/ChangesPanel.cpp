#include "workbench/ChangesPanel.h"

#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QSyntaxHighlighter>
#include <QVBoxLayout>

#include "workbench/TextDiff.h"
#include "workbench/ViewText.h"

namespace mirel {

namespace {

// Removed lines red, added lines green, hunk headers blue.
class TDiffHighlighter : public QSyntaxHighlighter {
 public:
  using QSyntaxHighlighter::QSyntaxHighlighter;

 protected:
  void highlightBlock(const QString& text) override {
    QTextCharFormat f;
    if (text.startsWith(QStringLiteral("@@"))) {
      f.setForeground(QColor(0x20, 0x40, 0xa0));
    } else if (text.startsWith(QStringLiteral("---")) || text.startsWith(QStringLiteral("+++"))) {
      f.setFontWeight(QFont::Bold);
    } else if (text.startsWith(u'-')) {
      f.setForeground(QColor(0xa0, 0x10, 0x10));
      f.setBackground(QColor(0xff, 0xec, 0xec));
    } else if (text.startsWith(u'+')) {
      f.setForeground(QColor(0x10, 0x70, 0x10));
      f.setBackground(QColor(0xe6, 0xff, 0xe6));
    } else {
      return;
    }
    setFormat(0, static_cast<int>(text.size()), f);
  }
};

}  // namespace

TChangesPanel::TChangesPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("changesPanelContents"));
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("changesTitle"));
  title_->setWordWrap(true);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("changesList"));
  diff_ = new QPlainTextEdit(this);
  diff_->setObjectName(QStringLiteral("changesDiff"));
  diff_->setReadOnly(true);
  diff_->setLineWrapMode(QPlainTextEdit::NoWrap);
  diff_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  new TDiffHighlighter(diff_->document());

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(list_);
  split->addWidget(diff_);
  split->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(title_);
  layout->addWidget(split, 1);
  connect(list_, &QListWidget::currentRowChanged, this, &TChangesPanel::ShowDiff);
  Clear();
}

void TChangesPanel::ShowRun(const QString& undoFile, const QString& baseFolder) {
  Clear();
  entries_ = ReadUndoEntries(undoFile);
  undo_file_ = undoFile;
  title_->setText(entries_.empty() ? tr("The run changed no file (%1).").arg(undoFile)
                                   : tr("%n file(s) changed by the run of %1", "",
                                        static_cast<int>(entries_.size()))
                                         .arg(undoFile));
  const QDir base(baseFolder);
  for (const TUndoEntry& e : entries_) {
    const QString rel = base.relativeFilePath(e.Original);
    auto* item = new QListWidgetItem(rel.startsWith(QStringLiteral("..")) ? e.Original : rel);
    item->setData(Qt::UserRole, e.Original);
    item->setToolTip(e.Original + QStringLiteral("\nbackup: ") + e.Backup);
    list_->addItem(item);
  }
  if (!entries_.empty()) list_->setCurrentRow(0);
}

void TChangesPanel::Clear() {
  entries_.clear();
  undo_file_.clear();
  list_->clear();
  diff_->clear();
  title_->setText(tr("No replace run since the project was opened."));
}

void TChangesPanel::ShowDiff(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) {
    diff_->clear();
    return;
  }
  const TUndoEntry& e = entries_[static_cast<size_t>(row)];
  const TViewText before = ReadViewText(e.Backup);
  const TViewText after = ReadViewText(e.Original);
  if (!before.Error.isEmpty() || !after.Error.isEmpty()) {
    diff_->setPlainText(before.Error.isEmpty() ? after.Error : before.Error);
    return;
  }
  QString text;
  if (before.BinaryForm || after.BinaryForm)
    text = tr("Binary form: compared as form text.") + QLatin1Char('\n');
  text += UnifiedDiff(before.Text, after.Text, e.Backup, e.Original);
  diff_->setPlainText(text);
}

}  // namespace mirel
