#include "replace/RunPatch.h"

#include <git2.h>

#include <memory>

#include "files/Paths.h"

namespace mirel {

namespace {

// libgit2 keeps global state (its allocator, its error slots) that must be
// set up before any call; the count is its own, so nesting is harmless.
class TLibGit2 {
 public:
  TLibGit2() { git_libgit2_init(); }
  ~TLibGit2() { git_libgit2_shutdown(); }
  TLibGit2(const TLibGit2&) = delete;
  TLibGit2& operator=(const TLibGit2&) = delete;
};

struct TPatchFree {
  void operator()(git_patch* p) const { git_patch_free(p); }
};

String LastGitError() {
  const git_error* e = git_error_last();
  return FromUtf8(e != nullptr && e->message != nullptr ? e->message : "unknown error");
}

}  // namespace

bool IsUtf16File(std::string_view bytes) {
  return bytes.size() >= 2 &&
         ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

std::string FilePatch(std::string_view path, std::string_view oldBytes, std::string_view newBytes,
                      bool executable, bool forceBinary) {
  if (oldBytes == newBytes) return {};
  const TLibGit2 git;
  git_diff_options options;
  git_diff_options_init(&options, GIT_DIFF_OPTIONS_VERSION);
  // SHOW_BINARY writes binary changes as applicable patches, not as
  // "Binary files differ".
  options.flags = GIT_DIFF_SHOW_BINARY | (forceBinary ? GIT_DIFF_FORCE_BINARY : 0);
  const std::string name(path);
  git_patch* raw = nullptr;
  if (git_patch_from_buffers(&raw, oldBytes.data(), oldBytes.size(), name.c_str(), newBytes.data(),
                             newBytes.size(), name.c_str(), &options) != 0)
    throw EPatchError(u"Cannot make the patch of \"" + FromUtf8(name) + u"\": " + LastGitError());
  const std::unique_ptr<git_patch, TPatchFree> patch(raw);
  // A patch made from buffers knows no file mode and says 100644; git apply
  // gives the file the mode the patch names, so an executable file says so.
  // The delta belongs to the patch, which was made for this call alone.
  if (executable) {
    auto* delta = const_cast<git_diff_delta*>(git_patch_get_delta(patch.get()));
    delta->old_file.mode = GIT_FILEMODE_BLOB_EXECUTABLE;
    delta->new_file.mode = GIT_FILEMODE_BLOB_EXECUTABLE;
  }
  git_buf buf = GIT_BUF_INIT;
  if (git_patch_to_buf(&buf, patch.get()) != 0)
    throw EPatchError(u"Cannot make the patch of \"" + FromUtf8(name) + u"\": " + LastGitError());
  std::string text(buf.ptr, buf.size);
  git_buf_dispose(&buf);
  return text;
}

std::string MakeRunPatch(const std::vector<TRunFile>& files, StringView baseFolder,
                         TFileSystem& fs) {
  const String base = fs.RealPath(String(baseFolder));
  if (base.empty())
    throw EPatchError(u"Cannot make the patch: the folder \"" + String(baseFolder) +
                      u"\" cannot be found.");
  // Every file is checked before any is read, so that one message names
  // them all.
  std::vector<String> paths;
  String outside;
  for (const TRunFile& f : files) {
    const String real = fs.RealPath(f.Target);
    const bool inside = !real.empty() && LiesInsideFolder(real, base);
    const String rel = inside ? real.substr(CombinePath(base, u"").size()) : String();
    if (!inside) outside += u"\r\n  " + f.Original;
    paths.push_back(rel);
  }
  if (!outside.empty()) {
    String folder(baseFolder);
    while (folder.size() > 1 && folder.back() == u'/') folder.pop_back();
    throw EPatchError(u"Cannot make the patch: these files lie outside \"" + folder +
                      u"\", where the patch applies:" + outside);
  }
  const TLibGit2 git;  // once for all the files
  std::string patch;
  for (size_t i = 0; i < files.size(); ++i) {
    const TRunFile& f = files[i];
    std::string before, after;
    if (const TFsResult r = fs.ReadFile(f.Target, before); !r)
      throw EFOpenError(u"Cannot open file \"" + f.Target + u"\". " + r.Message());
    if (const TFsResult r = fs.ReadFile(f.Converted, after); !r)
      throw EFOpenError(u"Cannot open file \"" + f.Converted + u"\". " + r.Message());
    const bool executable = (fs.Stat(f.Target).mode & 0100) != 0;
    patch += FilePatch(ToUtf8(paths[i]), before, after, executable,
                       IsUtf16File(before) || IsUtf16File(after));
  }
  return patch;
}

}  // namespace mirel
