#include "replace/DatabaseMap.h"

namespace mirel {

void TDatabaseMap::IndexLine(int i) {
  const String& line = lines_[static_cast<size_t>(i)];
  const size_t eq = line.find(u'=');
  if (eq != String::npos) first_line_.emplace(LowerCase(StringView(line).substr(0, eq)), i);
}

void TDatabaseMap::Reindex() {
  first_line_.clear();
  for (int i = 0; i < Count(); ++i) IndexLine(i);
}

int TDatabaseMap::IndexOfName(StringView name) const {
  const auto it = first_line_.find(LowerCase(name));
  return it == first_line_.end() ? -1 : it->second;
}

void TDatabaseMap::Add(const String& line) {
  lines_.push_back(line);
  IndexLine(Count() - 1);
}

String TDatabaseMap::Values(StringView name) const {
  const int i = IndexOfName(name);
  if (i < 0) return String();
  const String& line = lines_[static_cast<size_t>(i)];
  return line.substr(line.find(u'=') + 1);
}

void TDatabaseMap::SetValue(StringView name, StringView value) {
  const int i = IndexOfName(name);
  String line(name);
  line += u'=';
  line += value;
  if (value.empty()) {
    if (i < 0) return;
    // Rare (nothing in a run deletes), so the whole index is rebuilt: the
    // lines after i move up, and a later line of the same name becomes first.
    lines_.erase(lines_.begin() + i);
    Reindex();
  } else if (i < 0) {
    Add(line);
  } else {
    lines_[static_cast<size_t>(i)] = std::move(line);
  }
}

void TDatabaseMap::Clear() {
  lines_.clear();
  first_line_.clear();
}

String TDatabaseMap::Text() const {
  String text;
  for (const String& line : lines_) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

}  // namespace mirel
