// A file system for tests that passes every call on to another one, except the
// calls a test has chosen to fail: those return the chosen errno and touch
// nothing. It also keeps a journal of the calls it passed on or failed, so a
// test can check what an operation did to the disk (and what it did not).
//
// The wrapped file system is borrowed and must outlive this object.
#pragma once

#include <array>
#include <cerrno>
#include <utility>
#include <vector>

#include "files/FileSystem.h"

namespace mirel::testing {

/// The operations that can be made to fail.
enum class TFsOp {
  List,
  Read,
  Write,
  Copy,
  CreateFolder,
  Rename,
  Delete,
  Remove,
  Link,
  Move,
  Sync,
  Attributes
};

class TFaultyFileSystem final : public TFileSystem {
 public:
  explicit TFaultyFileSystem(TFileSystem& inner = TFileSystem::Real()) : inner_(inner) {}

  /// Fails every call of op on a path matching pattern (fnmatch(3) without
  /// flags, so '*' also matches '/'). For copy and rename the pattern is
  /// matched against both paths, and so for link and move.
  void FailOn(TFsOp op, StringView pattern, int error = EACCES);
  /// Fails the n-th call of op (counting from 1, and counting calls made
  /// before this rule was set).
  void FailOnCall(TFsOp op, int n, int error = EACCES);
  /// Removes every rule; the journal and the counts stay.
  void ClearFaults() { rules_.clear(); }

  /// Calls of op so far, failed ones included.
  int Calls(TFsOp op) const { return counts_[static_cast<size_t>(op)]; }

  struct TCall {
    TFsOp op;
    String path;    // the path, or the source of a copy or rename
    String target;  // destination of a copy, rename, link or move, else empty
    bool failed;    // made to fail by a rule
  };
  const std::vector<TCall>& Journal() const { return journal_; }

  TFileStat Stat(const String& path) override { return inner_.Stat(path); }
  TFileStat LinkStat(const String& path) override { return inner_.LinkStat(path); }
  String RealPath(const String& path) override { return inner_.RealPath(path); }
  TFsResult ListFolder(const String& folder, std::vector<TFolderEntry>& entries) override;
  TFsResult ReadFile(const String& path, std::string& contents) override;
  TFsResult WriteFile(const String& path, std::string_view contents, bool durable = true) override;
  TFsResult CopyFile(const String& from, const String& to, bool overwrite,
                     bool durable = true) override;
  TFsResult LinkFile(const String& from, const String& to) override;
  TFsResult MoveFile(const String& from, const String& to) override;
  TFsResult CopyAttributes(const String& from, const String& to) override;
  TFsResult Sync(const String& path) override;
  TFsResult CreateFolder(const String& path, unsigned mode = 0777) override;
  TFsResult Rename(const String& from, const String& to) override;
  TFsResult DeleteFile(const String& path) override;
  TFsResult RemoveFolder(const String& path) override;
  String TempFolder() override { return inner_.TempFolder(); }

 private:
  struct Rule {
    TFsOp op;
    std::string pattern;  // UTF-8; empty for a rule by call number
    int call;             // 0 for a rule by pattern
    int error;
  };
  // Counts and journals the call; returns the errno to fail it with, or 0.
  int Check(TFsOp op, const String& path, const String& target = String());

  TFileSystem& inner_;
  std::vector<Rule> rules_;
  std::array<int, 12> counts_{};
  std::vector<TCall> journal_;
};

}  // namespace mirel::testing
