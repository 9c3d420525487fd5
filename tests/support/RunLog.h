// Reading a run's log "Wiz_Log.txt" in tests.
#pragma once

#include <string>
#include <vector>

namespace mirel::testing {

/// The lines of a log without its blank separators and without the creation
/// line, whose time changes.
inline std::vector<std::string> LogLines(const std::string& log) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < log.size()) {
    size_t j = log.find("\r\n", i);
    if (j == std::string::npos) j = log.size();
    const std::string line = log.substr(i, j - i);
    if (!line.empty() && line.rfind("Created at:", 0) != 0) lines.push_back(line);
    i = j + 2;
  }
  return lines;
}

}  // namespace mirel::testing
