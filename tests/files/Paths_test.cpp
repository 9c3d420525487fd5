// Paths as text: joining, taking apart, normalising, making absolute, and the
// kinds of Delphi file.
#include "files/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace mirel {
namespace {

TEST(CombinePathTest, JoinsWithOneSeparator) {
  struct Row {
    const char* folder;
    const char* name;
    const char* joined;
  };
  for (const Row& r :
       {Row{"/x", "y.pas", "/x/y.pas"}, Row{"/x/", "/y.pas", "/x/y.pas"}, Row{"", "/y", "y"},
        Row{"", "y", "y"}, Row{"/x", "", "/x/"}, Row{"/x/", "/", "/x//"}, Row{"/x", "//y", "/x//y"},
        Row{"", "", ""}, Row{"/", "etc", "/etc"}}) {
    EXPECT_EQ(U(r.joined), CombinePath(U(r.folder), U(r.name))) << r.folder << " + " << r.name;
  }
  // JoinPath lets an absolute name stand for itself.
  EXPECT_EQ(u"/y.pas", JoinPath(u"/x", u"/y.pas"));
  EXPECT_EQ(u"/x/y.pas", JoinPath(u"/x/", u"y.pas"));
  EXPECT_EQ(u"C:/Lib/A.pas", ToSlashes(u"C:\\Lib\\A.pas"));
}

TEST(PathPartsTest, FolderNameBaseNameAndExtensionOfTheLastElement) {
  struct Row {
    const char16_t* path;
    const char16_t* filePath;
    const char16_t* dir;
    const char16_t* name;
    const char16_t* base;
    const char16_t* ext;
  };
  for (const Row& r : {Row{u"/p/Main.pas", u"/p/", u"/p", u"Main.pas", u"Main", u".pas"},
                       Row{u"/Main.pas", u"/", u"/", u"Main.pas", u"Main", u".pas"},
                       Row{u"Main.pas", u"", u"", u"Main.pas", u"Main", u".pas"},
                       Row{u"/x.y/Makefile", u"/x.y/", u"/x.y", u"Makefile", u"Makefile", u""},
                       Row{u"/p/a.b.DFM", u"/p/", u"/p", u"a.b.DFM", u"a.b", u".DFM"},
                       Row{u"/p/.hidden", u"/p/", u"/p", u".hidden", u".hidden", u".hidden"},
                       Row{u"/p/", u"/p/", u"/p", u"", u"", u""}}) {
    const std::string at = ToUtf8(r.path);
    EXPECT_EQ(r.filePath, ExtractFilePath(r.path)) << at;
    EXPECT_EQ(r.dir, ExtractDir(r.path)) << at;
    EXPECT_EQ(r.name, ExtractFileName(r.path)) << at;
    EXPECT_EQ(r.base, ExtractBaseName(r.path)) << at;
    EXPECT_EQ(r.ext, ExtractFileExt(r.path)) << at;
  }
  EXPECT_EQ(u"/p/Main.dfm", ChangeFileExt(u"/p/Main.pas", u".dfm"));
  EXPECT_EQ(u"/x.y/Makefile.bak", ChangeFileExt(u"/x.y/Makefile", u".bak"));
  EXPECT_EQ(u"/p/Main", ChangeFileExt(u"/p/Main.pas", u""));
}

TEST(PathTest, NormalizedPathsAndWhatLiesInsideAFolder) {
  EXPECT_EQ(u"/a/c", NormalizePath(u"/a/./b/../c/"));
  EXPECT_EQ(u"/a/b", NormalizePath(u"/a//b"));
  EXPECT_TRUE(LiesInsideFolder(u"/p/x.pas", u"/p"));
  EXPECT_TRUE(LiesInsideFolder(u"/p/sub/x.pas", u"/p/"));
  EXPECT_FALSE(LiesInsideFolder(u"/p", u"/p"));
  EXPECT_FALSE(LiesInsideFolder(u"/pp/x.pas", u"/p"));
  EXPECT_FALSE(LiesInsideFolder(u"/p/../q/x.pas", u"/p"));
}

TEST(PathTest, LexicallyNormal) {
  const std::pair<const char16_t*, const char16_t*> rows[] = {
      {u"/a/b/../c/./d//e/", u"/a/c/d/e"},
      {u"/../..", u"/"},
      {u"/", u"/"},
      {u"a/../../b", u"../b"},
      {u"./", u"."},
      {u"/a=b/c", u"/a=b/c"},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(String(out), LexicallyNormal(in)) << ToUtf8(in);
  EXPECT_EQ(u"/u/v/x", ResolveAgainst(u"/u/w", u"../v/x"));
  EXPECT_EQ(u"/abs", ResolveAgainst(u"/u/w", u"/abs"));
}

// NormalizePath used to be std::filesystem's lexically_normal without the
// trailing '/'; the folding of both normal forms must stay that one.
TEST(PathTest, BothNormalFormsFoldAsTheStandardLibraryDoesAndDifferOnlyForNothing) {
  const auto check = [](const String& p) {
    std::string expected = std::filesystem::path(ToUtf8(p)).lexically_normal().string();
    while (expected.size() > 1 && expected.back() == '/') expected.pop_back();
    EXPECT_EQ(FromUtf8(expected), NormalizePath(p)) << ToUtf8(p);
    EXPECT_EQ(p.empty() ? String(u".") : NormalizePath(p), LexicallyNormal(p)) << ToUtf8(p);
  };
  // Every path of up to four elements from these, absolute and relative,
  // with and without a trailing '/'.
  std::vector<String> level = {u"/", u""};
  for (int length = 1; length <= 4; ++length) {
    std::vector<String> next;
    for (const String& p : level)
      for (const char16_t* part : {u"a", u"..", u".", u"", u"b.pas"}) {
        next.push_back(p + part + u"/");
        check(next.back());
        check(p + part);
      }
    level = std::move(next);
  }
  EXPECT_EQ(u"", NormalizePath(u""));
}

// U+DC2F is written to the kernel as the byte '/' (rtl/SysUtils.h): the
// kernel would reach /x, outside /p, through this name.
TEST(PathTest, WhereAPathLeadsIsJudgedByItsBytes) {
  const String sneaky = u"/p/a\xDC2F..\xDC2F..\xDC2Fx";
  EXPECT_EQ(u"/x", NormalizePath(sneaky));
  EXPECT_FALSE(LiesInsideFolder(sneaky, u"/p"));
  EXPECT_EQ(sneaky, LexicallyNormal(sneaky));  // the text alone has one element there
}

TEST(PathTest, AbsolutePathsAgainstTheCurrentFolder) {
  const String cwd = FromUtf8(std::filesystem::current_path().string());
  EXPECT_EQ(cwd + u"/a/c.pas", AbsolutePath(u"a/b/../c.pas"));
  EXPECT_EQ(cwd + u"/a/c.pas", AbsolutePath(std::string("./a//c.pas/")));
  EXPECT_EQ(cwd, AbsolutePath(u""));
  EXPECT_EQ(u"/x", AbsolutePath(u"/../x/."));
  EXPECT_EQ(u"/", AbsolutePath(std::string("/")));
}

TEST(PathTest, AFileRelativeToTheRunsFolderForTheUser) {
  EXPECT_EQ(u"sub/x.pas", RelativeToFolder(u"/p/sub/x.pas", u"/p"));
  EXPECT_EQ(u"x.pas", RelativeToFolder(u"/P/x.pas", u"/p/"));
  EXPECT_EQ(u"/q/x.pas", RelativeToFolder(u"/q/x.pas", u"/p"));
  EXPECT_EQ(u"/p/", RelativeToFolder(u"/p/", u"/p"));
}

TEST(FileKindTest, TheExtensionOfTheNameDecidesInAnyCase) {
  struct Row {
    const char16_t* path;
    bool unit, pascal, project, form;
  };
  for (const Row& r :
       {Row{u"/p/Main.pas", true, true, false, false},
        Row{u"/p/MAIN.PAS", true, true, false, false}, Row{u"/p/App.Dpr", false, true, true, false},
        Row{u"/p/App.dproj", false, false, true, false},
        Row{u"/p/Main.DFM", false, false, false, true},
        Row{u"/p/Main.nfm", false, false, false, true}, Row{u"/p/.pas", true, true, false, false},
        Row{u"/p.pas/Main", false, false, false, false},
        Row{u"/p/Main.pas.bak", false, false, false, false},
        Row{u"/p/Main.dfmx", false, false, false, false},
        Row{u"/p/Mainpas", false, false, false, false}}) {
    const std::string at = ToUtf8(r.path);
    EXPECT_EQ(r.unit, IsUnitFile(r.path)) << at;
    EXPECT_EQ(r.pascal, IsPascalSource(r.path)) << at;
    EXPECT_EQ(r.project, IsProjectFile(r.path)) << at;
    EXPECT_EQ(r.form, IsFormFile(r.path)) << at;
  }
  EXPECT_TRUE(IsWindowsDrivePath(u"C:\\Lib\\Shared.pas"));
  for (const char16_t* path : {u"/srv/C:/x.pas", u"Lib/Shared.pas", u"1:/x.pas", u"C", u"", u"::"})
    EXPECT_FALSE(IsWindowsDrivePath(path)) << ToUtf8(path);
}

}  // namespace
}  // namespace mirel
