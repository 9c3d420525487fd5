// A unified diff of two texts, line by line, as `diff -u` prints it.
#pragma once

#include <QString>

namespace mirel {

/// The "--- oldName" / "+++ newName" header and the hunks that turn oldText
/// into newText (three lines of context); just the header and no hunk when
/// the texts have the same lines. Line ends (LF, CR LF, CR) are not compared.
QString UnifiedDiff(const QString& oldText, const QString& newText, const QString& oldName,
                    const QString& newName);

}  // namespace mirel
