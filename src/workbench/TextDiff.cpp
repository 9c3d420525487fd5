#include "workbench/TextDiff.h"

#include <QRegularExpression>
#include <dtl/dtl.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace mirel {

namespace {

std::vector<std::string> Lines(const QString& text) {
  static const QRegularExpression kLineEnd(QStringLiteral("\r\n|\r|\n"));
  QStringList parts = text.split(kLineEnd);
  // A final line end does not start another line.
  if (!parts.isEmpty() && parts.back().isEmpty()) parts.pop_back();
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(parts.size()));
  for (const QString& p : parts) lines.push_back(p.toStdString());
  return lines;
}

}  // namespace

QString UnifiedDiff(const QString& oldText, const QString& newText, const QString& oldName,
                    const QString& newName) {
  std::vector<std::string> a = Lines(oldText), b = Lines(newText);
  dtl::Diff<std::string> diff(a, b);
  // Forms and units run to thousands of lines; the huge mode bounds the
  // memory of the path search.
  if (a.size() + b.size() > 20000) diff.onHuge();
  diff.compose();
  diff.composeUnifiedHunks();
  std::ostringstream out;
  out << "--- " << oldName.toStdString() << "\n+++ " << newName.toStdString() << "\n";
  diff.printUnifiedFormat(out);
  return QString::fromStdString(out.str());
}

}  // namespace mirel
