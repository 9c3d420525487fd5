#include "files/FolderIndex.h"

#include <vector>

namespace mirel {

String TFolderIndex::Find(const String& folder, StringView name) {
  auto listed = folders_.find(folder);
  if (listed == folders_.end()) {
    std::vector<TFolderEntry> entries;
    if (!fs_.ListFolder(folder, entries)) return String();
    TNames names;
    names.reserve(entries.size());
    for (TFolderEntry& entry : entries) {
      auto [at, added] = names.try_emplace(LowerCase(entry.name), entry.name);
      if (!added && entry.name < at->second) at->second = std::move(entry.name);
    }
    listed = folders_.emplace(folder, std::move(names)).first;
  }
  const auto found = listed->second.find(LowerCase(name));
  return found == listed->second.end() ? String() : found->second;
}

}  // namespace mirel
