#include "support/FaultyFileSystem.h"

#include <fnmatch.h>

namespace mirel::testing {

void TFaultyFileSystem::FailOn(TFsOp op, StringView pattern, int error) {
  MIREL_ASSERT(!pattern.empty());
  rules_.push_back(Rule{op, ToUtf8(pattern), 0, error});
}

void TFaultyFileSystem::FailOnCall(TFsOp op, int n, int error) {
  MIREL_ASSERT(n > 0);
  rules_.push_back(Rule{op, std::string(), n, error});
}

int TFaultyFileSystem::Check(TFsOp op, const String& path, const String& target) {
  const int call = ++counts_[static_cast<size_t>(op)];
  int error = 0;
  for (const Rule& rule : rules_) {
    if (rule.op != op) continue;
    bool hit;
    if (rule.call > 0) {
      hit = rule.call == call;
    } else {
      hit = ::fnmatch(rule.pattern.c_str(), ToUtf8(path).c_str(), 0) == 0 ||
            (!target.empty() && ::fnmatch(rule.pattern.c_str(), ToUtf8(target).c_str(), 0) == 0);
    }
    if (hit) {
      error = rule.error;
      break;
    }
  }
  journal_.push_back(TCall{op, path, target, error != 0});
  return error;
}

TFsResult TFaultyFileSystem::ListFolder(const String& folder, std::vector<TFolderEntry>& entries) {
  if (const int e = Check(TFsOp::List, folder)) {
    entries.clear();
    return TFsResult::Fail(e);
  }
  return inner_.ListFolder(folder, entries);
}

TFsResult TFaultyFileSystem::ReadFile(const String& path, std::string& contents) {
  if (const int e = Check(TFsOp::Read, path)) {
    contents.clear();
    return TFsResult::Fail(e);
  }
  return inner_.ReadFile(path, contents);
}

TFsResult TFaultyFileSystem::WriteFile(const String& path, std::string_view contents,
                                       bool durable) {
  if (const int e = Check(TFsOp::Write, path)) return TFsResult::Fail(e);
  return inner_.WriteFile(path, contents, durable);
}

TFsResult TFaultyFileSystem::CopyFile(const String& from, const String& to, bool overwrite,
                                      bool durable) {
  if (const int e = Check(TFsOp::Copy, from, to)) return TFsResult::Fail(e);
  return inner_.CopyFile(from, to, overwrite, durable);
}

TFsResult TFaultyFileSystem::LinkFile(const String& from, const String& to) {
  if (const int e = Check(TFsOp::Link, from, to)) return TFsResult::Fail(e);
  return inner_.LinkFile(from, to);
}

TFsResult TFaultyFileSystem::MoveFile(const String& from, const String& to) {
  if (const int e = Check(TFsOp::Move, from, to)) return TFsResult::Fail(e);
  return inner_.MoveFile(from, to);
}

TFsResult TFaultyFileSystem::CopyAttributes(const String& from, const String& to) {
  if (const int e = Check(TFsOp::Attributes, from, to)) return TFsResult::Fail(e);
  return inner_.CopyAttributes(from, to);
}

TFsResult TFaultyFileSystem::CreateFolder(const String& path, unsigned mode) {
  if (const int e = Check(TFsOp::CreateFolder, path)) return TFsResult::Fail(e);
  return inner_.CreateFolder(path, mode);
}

TFsResult TFaultyFileSystem::Rename(const String& from, const String& to) {
  if (const int e = Check(TFsOp::Rename, from, to)) return TFsResult::Fail(e);
  return inner_.Rename(from, to);
}

TFsResult TFaultyFileSystem::DeleteFile(const String& path) {
  if (const int e = Check(TFsOp::Delete, path)) return TFsResult::Fail(e);
  return inner_.DeleteFile(path);
}

TFsResult TFaultyFileSystem::RemoveFolder(const String& path) {
  if (const int e = Check(TFsOp::Remove, path)) return TFsResult::Fail(e);
  return inner_.RemoveFolder(path);
}

}  // namespace mirel::testing

namespace mirel::testing {

TFsResult TFaultyFileSystem::Sync(const String& path) {
  if (const int e = Check(TFsOp::Sync, path)) return TFsResult::Fail(e);
  return inner_.Sync(path);
}

}  // namespace mirel::testing
