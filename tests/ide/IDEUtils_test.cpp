#include "ide/IDEUtils.h"

#include <gtest/gtest.h>

#include "host/DiskProjectHost.h"
#include "support/HostTestFiles.h"

using namespace mirel;
using mirel::testing::TempProjectDir;

namespace {

// Installs a host for one test and leaves BorlandIDEServices as it found it.
class Installed {
 public:
  explicit Installed(IBorlandIDEServices* host) : saved_(BorlandIDEServices) {
    BorlandIDEServices = host;
  }
  ~Installed() { BorlandIDEServices = saved_; }

 private:
  IBorlandIDEServices* saved_;
};

// --- a tiny in-process host: modules given by the test, no menu ------------------

template <class Interface>
struct TestModuleOf : Interface {
  explicit TestModuleOf(String f) : file(std::move(f)) {}
  String GetFileName() override { return file; }
  bool Save(bool changeName, bool forceSave) override {
    saveArgs = {changeName, forceSave};
    return saves;
  }
  bool Close() override { return closes; }
  int GetModuleFileCount() override { return 0; }
  std::shared_ptr<IOTAEditor> GetModuleFileEditor(int) override { return nullptr; }
  int GetOwnerCount() override { return 0; }
  std::shared_ptr<IOTAProject> GetOwner(int) override { return nullptr; }
  String file;
  bool saves = true;
  bool closes = true;
  std::pair<bool, bool> saveArgs{true, false};
};
using TestModule = TestModuleOf<IOTAModule>;

struct TestInfo : IOTAModuleInfo {
  explicit TestInfo(String f) : file(std::move(f)) {}
  String GetFileName() override { return file; }
  String file;
};

struct TestProject : TestModuleOf<IOTAProject> {
  using TestModuleOf::TestModuleOf;
  int GetModuleCount() override { return static_cast<int>(infos.size()); }
  std::shared_ptr<IOTAModuleInfo> GetModule(int i) override {
    return i >= 0 && i < GetModuleCount() ? infos[static_cast<size_t>(i)] : nullptr;
  }
  std::vector<std::shared_ptr<IOTAModuleInfo>> infos;
};

struct TestGroup : TestModuleOf<IOTAProjectGroup> {
  TestGroup(String f, std::shared_ptr<IOTAProject> p) : TestModuleOf(std::move(f)), active(p) {}
  std::shared_ptr<IOTAProject> ActiveProject() override { return active; }
  std::shared_ptr<IOTAProject> active;
};

// Offers module services only: no action services, no menu.
struct TestHost : IBorlandIDEServices, IOTAModuleServices {
  int GetModuleCount() override { return static_cast<int>(modules.size()); }
  std::shared_ptr<IOTAModule> GetModule(int i) override {
    return modules.at(static_cast<size_t>(i));
  }
  std::vector<std::shared_ptr<IOTAModule>> modules;
};

// Top-level captions as "Name:Caption" and the children of an item in [ ].
std::string MenuShape(const TMenuItem& item) {
  std::string r;
  for (int i = 0; i < item.Count(); ++i) {
    const TMenuItem& c = item.Items(i);
    r += (i ? " " : "") + ToUtf8(c.Name()) + ":" + ToUtf8(c.Caption());
    if (c.Count() > 0) r += "[" + MenuShape(c) + "]";
  }
  return r;
}

}  // namespace

// --- project operations -----------------------------------------------------------

TEST(IDEUtils, WithoutHostOrProjectTheOperationsAnswerNeutrally) {
  {
    Installed none(nullptr);
    EXPECT_EQ(nullptr, TIDEUtils::GetCurrentProjectGroup());
    EXPECT_EQ(u"", TIDEUtils::GetCurrentProjectFileName());
    EXPECT_EQ(0, TIDEUtils::GetProjectModuleCount());
    EXPECT_EQ(u"", TIDEUtils::GetProjectModuleFileName(0));
    EXPECT_FALSE(TIDEUtils::SaveCurrentProject());
    EXPECT_TRUE(TIDEUtils::CloseProjectGroup());
    // The services themselves need a host: a clear error, not a crash.
    EXPECT_THROW(TIDEUtils::GetModuleServices(), EIntfCastError);
    EXPECT_THROW(TIDEUtils::ReloadModuleFile(u"/x/A.pas"), EIntfCastError);
    EXPECT_THROW(TIDEUtils::AddMenuItem(Menu, u"&Migration Wizard", u"Item", nullptr),
                 EIntfCastError);
  }
  TDiskProjectHost host;
  Installed installed(&host);
  EXPECT_EQ(u"", TIDEUtils::GetCurrentProjectFileName());
  EXPECT_EQ(0, TIDEUtils::GetProjectModuleCount());
  EXPECT_FALSE(TIDEUtils::SaveCurrentProject());
  EXPECT_TRUE(TIDEUtils::CloseProjectGroup());
  EXPECT_FALSE(TIDEUtils::ReloadModuleFile(u"/x/A.pas"));
  EXPECT_FALSE(TIDEUtils::OpenProjectFile(u""));  // the reopen after a restore with no project
  EXPECT_EQ(u"", TIDEUtils::GetCurrentProjectFileName());
}

TEST(IDEUtils, ReadsSavesClosesReloadsAndReopensAProjectOnDisk) {
  TempProjectDir dir;
  dir.Write("App/App.dpr",
            "program App;\nuses\n  Forms,\n  Main in 'Main.pas' {MainForm},\n"
            "  Report in 'reports\\Report.PAS',\n  Consts in 'Consts.inc';\nbegin\nend.\n");
  dir.Write("App/Main.pas", "unit Main; {$R *.dfm}");
  dir.Write("App/Main.dfm", "object MainForm: TMainForm end");
  dir.Write("App/Reports/Report.pas", "unit Report;");
  TDiskProjectHost host;
  Installed installed(&host);
  ASSERT_TRUE(TIDEUtils::OpenProjectFile(dir / "App/App.dpr")) << ToUtf8(host.LastError());

  EXPECT_EQ(dir / "App/App.dpr", TIDEUtils::GetCurrentProjectFileName());
  ASSERT_EQ(4, TIDEUtils::GetProjectModuleCount());
  EXPECT_EQ(dir / "App/App.dpr", TIDEUtils::GetProjectModuleFileName(0));
  EXPECT_EQ(dir / "App/Main.pas", TIDEUtils::GetProjectModuleFileName(1));
  EXPECT_EQ(dir / "App/Reports/Report.pas", TIDEUtils::GetProjectModuleFileName(2));
  EXPECT_EQ(dir / "App/Consts.inc", TIDEUtils::GetProjectModuleFileName(3));
  EXPECT_EQ(u"", TIDEUtils::GetProjectModuleFileName(4));
  EXPECT_TRUE(TIDEUtils::SaveCurrentProject());

  // Reload what a run rewrote: the ".PAS" entries only.
  dir.Write("App/Main.pas", "unit Main; {$R *.dfm} // converted");
  for (int i = 0; i < TIDEUtils::GetProjectModuleCount(); ++i) {
    const String name = TIDEUtils::GetProjectModuleFileName(i);
    if (name.size() >= 4 && UpperCase(name.substr(name.size() - 4)) == u".PAS") {
      EXPECT_TRUE(TIDEUtils::ReloadModuleFile(name));
    }
  }
  EXPECT_EQ((std::vector<String>{dir / "App/Main.pas", dir / "App/Reports/Report.pas"}),
            host.ReloadedFiles());
  EXPECT_EQ("unit Main; {$R *.dfm} // converted", host.EditorBuffer(dir / "App/Main.pas").value());

  // Close the group, as before a restore, then reopen it.
  const String remembered = TIDEUtils::GetCurrentProjectFileName();
  EXPECT_TRUE(TIDEUtils::CloseProjectGroup());
  EXPECT_EQ(u"", TIDEUtils::GetCurrentProjectFileName());
  EXPECT_EQ(0, TIDEUtils::GetProjectModuleCount());
  EXPECT_FALSE(TIDEUtils::SaveCurrentProject());
  EXPECT_TRUE(TIDEUtils::OpenProjectFile(remembered));
  EXPECT_EQ(remembered, TIDEUtils::GetCurrentProjectFileName());
  EXPECT_EQ(4, TIDEUtils::GetProjectModuleCount());

  // A project that fails to open leaves the current one in place.
  dir.Write("App/Other.dproj", "<Project><ItemGroup></Project>");
  EXPECT_FALSE(TIDEUtils::OpenProjectFile(dir / "App/Other.dproj"));
  EXPECT_EQ(remembered, TIDEUtils::GetCurrentProjectFileName());
}

TEST(IDEUtils, TheFirstProjectGroupInModuleOrderIsTheCurrentOne) {
  auto first = std::make_shared<TestProject>(u"/w/First.dproj");
  first->infos = {std::make_shared<TestInfo>(u"/w/First.dpr"), std::make_shared<TestInfo>(u""),
                  std::make_shared<TestInfo>(u"/w/A.pas")};
  auto second = std::make_shared<TestProject>(u"/w/Second.dproj");
  TestHost host;
  host.modules = {std::make_shared<TestModule>(u"/w/Loose.pas"),
                  std::make_shared<TestGroup>(u"/w/G1.groupproj", first), first,
                  std::make_shared<TestGroup>(u"/w/G2.groupproj", second)};
  Installed installed(&host);

  EXPECT_EQ(u"/w/G1.groupproj", TIDEUtils::GetCurrentProjectGroup()->GetFileName());
  EXPECT_EQ(u"/w/First.dproj", TIDEUtils::GetCurrentProjectFileName());
  EXPECT_EQ(3, TIDEUtils::GetProjectModuleCount());
  EXPECT_EQ(u"", TIDEUtils::GetProjectModuleFileName(1));  // an unnamed entry
  EXPECT_EQ(u"/w/A.pas", TIDEUtils::GetProjectModuleFileName(2));

  EXPECT_TRUE(TIDEUtils::SaveCurrentProject());
  EXPECT_EQ(std::make_pair(false, true), first->saveArgs);
  first->saves = false;
  EXPECT_FALSE(TIDEUtils::SaveCurrentProject());
  static_cast<TestGroup&>(*host.modules[1]).closes = false;
  EXPECT_FALSE(TIDEUtils::CloseProjectGroup());

  // A group without an active project: no project, nothing to save.
  static_cast<TestGroup&>(*host.modules[1]).active = nullptr;
  EXPECT_EQ(u"", TIDEUtils::GetCurrentProjectFileName());
  EXPECT_FALSE(TIDEUtils::SaveCurrentProject());

  // This host offers no action services and no menu.
  EXPECT_THROW(TIDEUtils::OpenProjectFile(u"/w/First.dproj"), EIntfCastError);
  EXPECT_THROW(TIDEUtils::AddMenuItem(Menu, u"&Migration Wizard", u"Item", nullptr),
               EIntfCastError);
}

// --- the menu item -------------------------------------------------------------------

class AddMenuItem : public ::testing::Test {
 protected:
  AddMenuItem() : installed_(&host) {}

  TMenuItem& Top() { return host.GetMainMenu()->Items(); }
  void Add(const TProductMenu& menu, TNotifyEvent onClick = nullptr) {
    TIDEUtils::AddMenuItem(menu, u"&Migration Wizard", u"RExpertItemBDE_ADOMirel",
                           std::move(onClick));
  }

  TDiskProjectHost host;
  const TProductMenu product{u"MirelMenu", u"&Mirel", u"Mirel for &SQL Server"};

 private:
  Installed installed_;
};

TEST_F(AddMenuItem, AMissingProductItemGoesBeforeTheLastTopLevelItem) {
  int clicks = 0;
  Add(product, [&](TMenuItem& sender) {
    ++clicks;
    EXPECT_EQ(u"RExpertItemBDE_ADOMirel", sender.Name());
  });
  EXPECT_EQ(
      "FileMenu:&File EditMenu:&Edit ProjectMenu:&Project ToolsMenu:&Tools "
      "MirelMenu:&Mirel[RExpertItemBDE_ADOMirel:&Migration Wizard] HelpMenu:&Help",
      MenuShape(Top()));
  EXPECT_FALSE(Top().Items(4).OnClick());  // the product item itself does nothing
  Top().Items(4).Items(0).Click();
  EXPECT_EQ(1, clicks);
}

TEST_F(AddMenuItem, AnExistingProductItemGetsItsCaptionResetAndNoTwin) {
  host.AddActionMenu(u"EditMenu", std::make_unique<TMenuItem>(u"MirelMenu", u"Old caption"), true,
                     false);
  Top().Items(2).Add(std::make_unique<TMenuItem>(u"MirelAbout", u"&About"));
  std::vector<std::string> changes;
  host.GetMainMenu()->OnChange = [&](TMenuItem& item) { changes.push_back(ToUtf8(item.Name())); };
  Add(product);
  EXPECT_EQ(
      "FileMenu:&File EditMenu:&Edit "
      "MirelMenu:&Mirel[MirelAbout:&About RExpertItemBDE_ADOMirel:&Migration Wizard] "
      "ProjectMenu:&Project ToolsMenu:&Tools HelpMenu:&Help",
      MenuShape(Top()));
  // A GUI host mirroring the model hears of both changes.
  EXPECT_EQ((std::vector<std::string>{"MirelMenu", "RExpertItemBDE_ADOMirel"}), changes);
}

TEST_F(AddMenuItem, ACaptionClashShowsTheAlternativeCaptionWhenThereIsOne) {
  host.AddActionMenu(u"ToolsMenu", std::make_unique<TMenuItem>(u"OtherMirel", u"MI&REL"), false,
                     false);
  Add(product);
  EXPECT_EQ(u"Mirel for &SQL Server", Top().Find(u"MirelMenu")->Caption());

  TDiskProjectHost plain;
  Installed installed(&plain);
  plain.AddActionMenu(u"ToolsMenu", std::make_unique<TMenuItem>(u"OtherMirel", u"Mi&rel"), false,
                      false);
  Add(TProductMenu{u"MirelMenu", u"&Mirel", u""});
  EXPECT_EQ(u"&Mirel", plain.GetMainMenu()->Items().Find(u"MirelMenu")->Caption());
}

TEST_F(AddMenuItem, OnlyItemsAheadOfTheExistingProductItemCanClash) {
  host.AddActionMenu(u"HelpMenu", std::make_unique<TMenuItem>(u"MirelMenu", u"x"), false, false);
  host.AddActionMenu(u"HelpMenu", std::make_unique<TMenuItem>(u"Clash", u"&Mirel"), false, false);
  Add(product);
  EXPECT_EQ(u"&Mirel", Top().Find(u"MirelMenu")->Caption());
  // An item ahead of it does clash.
  host.AddActionMenu(u"FileMenu", std::make_unique<TMenuItem>(u"Clash2", u"mirel"), true, false);
  Add(product);
  EXPECT_EQ(u"Mirel for &SQL Server", Top().Find(u"MirelMenu")->Caption());
}

TEST_F(AddMenuItem, ASecondLoadReplacesTheWizardItemInsteadOfAddingATwin) {
  int first = 0, second = 0;
  Add(product, [&](TMenuItem&) { ++first; });
  Add(product, [&](TMenuItem&) { ++second; });
  TMenuItem& productItem = *Top().Find(u"MirelMenu");
  ASSERT_EQ(1, productItem.Count());
  productItem.Items(0).Click();
  EXPECT_EQ(0, first);
  EXPECT_EQ(1, second);
  EXPECT_EQ(6, Top().Count());
}

TEST_F(AddMenuItem, AnEmptyMainMenuGetsTheProductItemAsItsOnlyItem) {
  struct MenuOnlyHost : IBorlandIDEServices, INTAServices {
    TMainMenu menu;
    TMainMenu* GetMainMenu() override { return &menu; }
    TMenuItem& AddActionMenu(const String& name, std::unique_ptr<TMenuItem> item, bool after,
                             bool child) override {
      return menu.InsertRelative(name, std::move(item), after, child);
    }
  } empty;
  Installed installed(&empty);
  Add(product);
  EXPECT_EQ("MirelMenu:&Mirel[RExpertItemBDE_ADOMirel:&Migration Wizard]",
            MenuShape(empty.menu.Items()));
  EXPECT_THROW(empty.AddActionMenu(u"Nowhere", std::make_unique<TMenuItem>(u"X", u"X"), true, true),
               Exception);
}
