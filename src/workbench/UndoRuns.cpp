#include "workbench/UndoRuns.h"

#include <QFileInfo>

#include <set>

#include "host/HostFiles.h"
#include "replace/UndoFile.h"
#include "rtl/StringList.h"

namespace mirel {

namespace fs = std::filesystem;

TUndoSnapshot TUndoSnapshot::Take(const QString& folder) {
  TUndoSnapshot snap;
  std::error_code ec;
  const fs::path root = fs::path(folder.toStdU16String());
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  for (fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& e = *it;
    std::error_code fe;
    if (e.is_directory(fe)) {
      // depth() of an entry of root is 0: its files lie at level 1.
      if (it.depth() + 2 > kUndoSearchDepth) it.disable_recursion_pending();
      continue;
    }
    if (e.path().filename() != fs::path(kUndoFileName) || !e.is_regular_file(fe)) continue;
    Stamp stamp{e.last_write_time(fe), e.file_size(fe)};
    if (!fe) snap.files_[e.path()] = stamp;
  }
  return snap;
}

QString TUndoSnapshot::NewestSince(const TUndoSnapshot& before) const {
  const fs::path* newest = nullptr;
  fs::file_time_type newestTime{};
  for (const auto& [path, stamp] : files_) {
    auto old = before.files_.find(path);
    if (old != before.files_.end() && old->second == stamp) continue;
    if (newest == nullptr || stamp.time > newestTime) {
      newest = &path;
      newestTime = stamp.time;
    }
  }
  return newest ? QString::fromStdU16String(newest->u16string()) : QString();
}

std::vector<TUndoEntry> ReadUndoEntries(const QString& undoFile) {
  TStringList lines;
  LoadUndoFile(undoFile.toStdU16String(), lines);
  std::vector<TUndoEntry> entries;
  std::set<String> seen;
  // Split where restore splits: a path may hold "=" itself.
  const String folder = QFileInfo(undoFile).absolutePath().toStdU16String();
  for (int i = 0; i < lines.Count(); ++i) {
    TUndoPair pair;
    SplitUndoLine(lines[i], folder, pair);
    if (pair.Original.empty() || !seen.insert(pair.Original).second) continue;
    entries.push_back(TUndoEntry{QString::fromStdU16String(pair.Original),
                                 QString::fromStdU16String(pair.Backup)});
  }
  return entries;
}

bool RunWasUndone(const QString& undoFile) {
  std::vector<TUndoEntry> entries;
  try {
    entries = ReadUndoEntries(undoFile);
  } catch (const std::exception&) {
    return true;
  }
  for (const TUndoEntry& e : entries) {
    try {
      if (diskhost::ReadFileBytes(e.Original.toStdU16String()) !=
          diskhost::ReadFileBytes(e.Backup.toStdU16String()))
        return false;
    } catch (const std::exception&) {
      // A file that cannot be read cannot prove the run undone.
      return false;
    }
  }
  return true;
}

}  // namespace mirel
