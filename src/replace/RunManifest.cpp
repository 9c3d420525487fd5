#include "replace/RunManifest.h"

#include <nettle/sha2.h>

#include <cerrno>

#include "files/Paths.h"
#include "replace/RestorePaths.h"
#include "replace/UndoFile.h"
#include "rtl/Encoding.h"

namespace mirel {

namespace {

constexpr size_t kHexDigits = 2 * SHA256_DIGEST_SIZE;

bool IsLowerHex(std::string_view text) {
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace

String RunManifestFileName(StringView undoFile) {
  return ExtractFilePath(undoFile) + kRunManifestName;
}

std::string Sha256Hex(std::string_view bytes) {
  sha256_ctx ctx;
  sha256_init(&ctx);
  sha256_update(&ctx, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&ctx, sizeof digest, digest);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(kHexDigits);
  for (uint8_t b : digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

TFsResult SaveRunManifest(const TStringList& undo, StringView undoFile, TFileSystem& fs) {
  const String folder = ExtractDir(undoFile);
  std::string text;
  for (int i = 0; i < undo.Count(); ++i) {
    if (undo[i].empty()) continue;
    if (!IsUndoSafeName(undo[i])) return TFsResult::Fail(EINVAL);
    TUndoPair pair;
    SplitUndoLine(undo[i], folder, pair, fs);
    if (pair.Original.empty()) continue;
    std::string bytes;
    const String original = ResolveAgainst(folder, pair.Original);
    if (const TFsResult r = fs.ReadFile(original, bytes); !r) return r;
    text += Sha256Hex(bytes);
    text += "  ";
    text += TEncoding::UTF8().GetBytes(pair.Original);
    text += '\n';
  }
  return fs.WriteFile(RunManifestFileName(undoFile), text);
}

bool LoadRunManifest(StringView undoFile, TRunManifest& manifest, TFileSystem& fs) {
  manifest.clear();
  const String path = RunManifestFileName(undoFile);
  if (!fs.Exists(path)) return false;
  std::string bytes;
  if (const TFsResult r = fs.ReadFile(path, bytes); !r)
    throw EFOpenError(u"Cannot open file \"" + path + u"\". " + r.Message());
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() <= kHexDigits + 2 || line.substr(kHexDigits, 2) != "  ") continue;
    const std::string_view hex = line.substr(0, kHexDigits);
    if (!IsLowerHex(hex)) continue;
    manifest.emplace(TEncoding::UTF8().GetString(line.substr(kHexDigits + 2)), std::string(hex));
  }
  return true;
}

TRunChecksums LoadRunChecksums(StringView backupFolder, TFileSystem& fs) {
  TRunChecksums known;
  const auto add = [&](const String& folder) {
    TRunManifest manifest;
    try {
      if (!LoadRunManifest(CombinePath(folder, kUndoFileName), manifest, fs)) return;
    } catch (const EFOpenError&) {
      return;
    }
    for (auto& [original, checksum] : manifest) known[original].push_back(std::move(checksum));
  };
  add(String(backupFolder));
  std::vector<TFolderEntry> entries;
  if (!fs.ListFolder(String(backupFolder), entries)) return known;
  for (const TFolderEntry& entry : entries) {
    bool numbered = entry.kind == TFileKind::Folder && !entry.name.empty();
    for (char16_t c : entry.name) numbered = numbered && c >= u'0' && c <= u'9';
    if (numbered) add(CombinePath(backupFolder, entry.name));
  }
  return known;
}

}  // namespace mirel
