// Shared pieces of the benchmark programs: the sample files they time, and a
// file system that keeps the replacer's output off the disk so that a
// benchmark measures conversion, not I/O.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/FileSystem.h"
#include "gen/ProjectGenerator.h"
#include "rtl/SysUtils.h"

namespace mirel::bench {

/// The seed of every benchmark sample; bench/run.sh generates its project
/// with the same one.
inline constexpr uint64_t kBenchSeed = 20240601;

/// Units 0..count-1 of the generated project, as on disk (some in UTF-8 or
/// UTF-16LE with their byte-order mark).
std::vector<std::string> SampleUnits(int count);
/// The texts of forms 0..count-1 in the default code page, none binary; in
/// the real shape, the first `count` forms of its units that have one.
std::vector<std::string> SampleFormTexts(int count, TShape shape = TShape::Generated);
/// Forms 0..count-1 as binary form files with a resource header.
std::vector<std::string> SampleBinaryForms(int count);

/// Total size of a sample set.
int64_t TotalBytes(const std::vector<std::string>& files);

/// A file system whose reads, listings and status queries go to the real one
/// and whose writes are counted and dropped. Every path answers Stat as a
/// file, so that resource directives find their form without touching the
/// disk. Lives as long as the benchmark that made it.
class TSinkFileSystem final : public TFileSystem {
 public:
  TFileStat Stat(const String&) override { return {TFileKind::File, 0, 0644}; }
  TFileStat LinkStat(const String&) override { return {TFileKind::File, 0, 0644}; }
  String RealPath(const String& path) override { return path; }
  TFsResult ListFolder(const String& folder, std::vector<TFolderEntry>& entries) override {
    return Real().ListFolder(folder, entries);
  }
  TFsResult ReadFile(const String& path, std::string& contents) override {
    return Real().ReadFile(path, contents);
  }
  TFsResult WriteFile(const String&, std::string_view contents, bool) override {
    written_ += static_cast<int64_t>(contents.size());
    ++files_;
    return TFsResult::Ok();
  }
  TFsResult CopyFile(const String&, const String&, bool, bool) override { return TFsResult::Ok(); }
  TFsResult LinkFile(const String&, const String&) override { return TFsResult::Ok(); }
  TFsResult CopyAttributes(const String&, const String&) override { return TFsResult::Ok(); }
  TFsResult MoveFile(const String&, const String&) override { return TFsResult::Ok(); }
  TFsResult Sync(const String&) override { return TFsResult::Ok(); }
  TFsResult CreateFolder(const String&, unsigned) override { return TFsResult::Ok(); }
  TFsResult Rename(const String&, const String&) override { return TFsResult::Ok(); }
  TFsResult DeleteFile(const String&) override { return TFsResult::Ok(); }
  TFsResult RemoveFolder(const String&) override { return TFsResult::Ok(); }
  String TempFolder() override { return u"/tmp"; }

  int64_t Written() const { return written_; }
  int Files() const { return files_; }

 private:
  int64_t written_ = 0;
  int files_ = 0;
};

}  // namespace mirel::bench
