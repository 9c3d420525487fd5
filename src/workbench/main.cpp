// mirel-host: the workbench program. Opens the project given on the command
// line, loads the wizard plugins and runs until the window is closed; with
// --screenshot it renders the window into a PNG instead and exits, with
// --list-menu it prints what the plugins loaded and the menu bar and exits.
// Its --help is also its man page (help2man), so it reads as one.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/DiskProjectHost.h"
#include "workbench/PluginLoader.h"
#include "workbench/WorkbenchWindow.h"

namespace {

constexpr int kExitOk = 0, kExitFailure = 1, kExitUsage = 2;

std::string ProgramDir(const char* argv0) {
  // /proc/self/exe first: argv[0] may be a bare name found through PATH.
  const QFileInfo self(QStringLiteral("/proc/self/exe"));
  const QString exe = self.exists() ? self.canonicalFilePath() : QString::fromLocal8Bit(argv0);
  return QFileInfo(exe).absolutePath().toStdString();
}

void PrintHelp() {
  std::printf(
      "Usage: mirel-host [PROJECT]\n"
      "  or:  mirel-host --list-menu\n"
      "  or:  mirel-host --screenshot OUT.png [--unit NAME] PROJECT\n"
      "\n"
      "A small project workbench for Delphi applications on disk, which hosts the\n"
      "Mirel migration wizard.\n"
      "\n"
      "It opens a project (its .dpr or .dproj file), lists the project's units and\n"
      "forms, shows them read only (binary forms as form text), and loads the wizard\n"
      "plugins, which add their commands to its menus: the wizard adds Mirel >\n"
      "Migration Wizard, which migrates the open project or a folder from BDE or ADO\n"
      "components to the Mirel components, or restores the originals. After a replace\n"
      "run the Changes panel lists every file the run changed, with the difference\n"
      "from its backup.\n"
      "\n"
      "Arguments:\n"
      "  PROJECT              the project to open: a .dpr or .dproj file\n"
      "\n"
      "Options:\n"
      "  -h, --help           show this text and exit\n"
      "  --version            print the version and exit\n"
      "  --list-menu          load the plugins, print a line for each plugin file (as\n"
      "                       the Messages panel says it) and one for each command of\n"
      "                       the menu bar (\"File > Open Project...\"), and exit: with 0\n"
      "                       when every plugin file loaded, else 1; no display needed\n"
      "  --screenshot OUT     open PROJECT and a unit, save a picture of the window as\n"
      "                       the PNG file OUT and exit (no display needed; plugins\n"
      "                       are not loaded, so the picture is the same everywhere)\n"
      "  --unit NAME          with --screenshot: the unit shown (file or unit name);\n"
      "                       default the project's first unit\n"
      "\n"
      "Plugins: every *.so file of the folders of the environment variable\n"
      "MIREL_PLUGIN_PATH (colon separated), then of the folder\n"
      "<folder of mirel-host>/../lib/mirel/plugins (/usr/lib/mirel/plugins for\n"
      "/usr/bin/mirel-host), in this order; a file name already loaded from an\n"
      "earlier folder is skipped. A plugin is a shared library that exports the\n"
      "function INITWIZARD0001. What was loaded, and why a file was not, is listed\n"
      "in the Messages panel (and by --list-menu).\n"
      "\n"
      "Exit status: 0 done, 1 a failure (a project that cannot be opened for\n"
      "--screenshot, a picture that cannot be written, a plugin that did not load\n"
      "for --list-menu), 2 bad usage.\n"
      "\n"
      "Examples:\n"
      "  mirel-host examples/bde/OrderDesk.dpr     open a project\n"
      "  mirel-host --list-menu                    what the plugins added to the menus\n"
      "  MIREL_PLUGIN_PATH=~/plugins mirel-host    your own plugins before the others\n");
}

// A menu's or action's text as shown, without the & of its mnemonic ("&&"
// stands for a literal &).
QString Shown(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

void PrintMenu(const QList<QAction*>& actions, const QString& path) {
  for (const QAction* a : actions) {
    if (a->isSeparator()) continue;
    const QString item = path.isEmpty() ? Shown(a->text()) : path + " > " + Shown(a->text());
    if (a->menu() != nullptr)
      PrintMenu(a->menu()->actions(), item);
    else
      std::printf("%s\n", qPrintable(item));
  }
}

// --list-menu: what an installed workbench loaded, for a look without a
// window (and for the package check).
int ListMenu(mirel::TWorkbenchWindow& window, const std::vector<mirel::TPluginReport>& reports) {
  bool allLoaded = true;
  for (const mirel::TPluginReport& r : reports) {
    if (r.Loaded)
      std::printf("Loaded plugin %s\n", r.File.c_str());
    else
      std::printf("Plugin %s not loaded: %s\n", r.File.c_str(), r.Error.c_str());
    allLoaded = allLoaded && r.Loaded;
  }
  PrintMenu(window.menuBar()->actions(), QString());
  return allLoaded ? kExitOk : kExitFailure;
}

// The first .pas module of the project whose file or unit name is unit (any
// case), or the first .pas module when unit is empty.
QString FindUnit(mirel::TDiskProjectHost& host, const QString& unit) {
  for (int i = 2; i < host.GetModuleCount(); ++i) {
    const QFileInfo f(QString::fromStdU16String(host.GetModule(i)->GetFileName()));
    if (unit.isEmpty() || f.fileName().compare(unit, Qt::CaseInsensitive) == 0 ||
        f.completeBaseName().compare(unit, Qt::CaseInsensitive) == 0)
      return f.filePath();
  }
  return QString();
}

int Screenshot(mirel::TWorkbenchWindow& window, const QString& out, const QString& unit) {
  const QString file = FindUnit(window.Services(), unit);
  if (file.isEmpty()) {
    std::fprintf(stderr, "mirel-host: the project has no unit %s\n", qPrintable(unit));
    return kExitUsage;
  }
  if (!window.OpenFile(file, false)) return kExitFailure;
  window.resize(1200, 760);
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(out, "PNG")) {
    std::fprintf(stderr, "mirel-host: cannot write %s\n", qPrintable(out));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string programDir = ProgramDir(argv[0]);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp();
      return kExitOk;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("mirel-host %s\n", MIREL_VERSION);
      return kExitOk;
    }
  }
  bool screenshot = false, listMenu = false;
  for (int i = 1; i < argc; ++i) {
    screenshot = screenshot || std::strcmp(argv[i], "--screenshot") == 0;
    listMenu = listMenu || std::strcmp(argv[i], "--list-menu") == 0;
  }
  // A picture or a listing needs no display.
  if ((screenshot || listMenu) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("mirel-host"));
  // Ties the window to mirel-host.desktop (its icon, on Wayland too).
  QGuiApplication::setDesktopFileName(QStringLiteral("mirel-host"));
  QCommandLineParser parser;
  parser.addOptions({{QStringLiteral("screenshot"), QString(), QStringLiteral("OUT")},
                     {QStringLiteral("unit"), QString(), QStringLiteral("NAME")},
                     {QStringLiteral("list-menu"), QString()}});
  parser.addPositionalArgument(QStringLiteral("PROJECT"), QString());
  if (!parser.parse(QApplication::arguments())) {
    std::fprintf(stderr, "mirel-host: %s (see mirel-host --help)\n",
                 qPrintable(parser.errorText()));
    return kExitUsage;
  }
  const QStringList args = parser.positionalArguments();
  if (args.size() > 1 || (parser.isSet(QStringLiteral("screenshot")) && args.isEmpty()) ||
      (parser.isSet(QStringLiteral("unit")) && !parser.isSet(QStringLiteral("screenshot"))) ||
      (listMenu && (screenshot || !args.isEmpty()))) {
    std::fprintf(stderr,
                 "mirel-host: give at most one PROJECT (and one with --screenshot; --unit only "
                 "with --screenshot; --list-menu alone); see mirel-host --help\n");
    return kExitUsage;
  }

  mirel::TWorkbenchWindow window;
  const char* pluginPath = std::getenv("MIREL_PLUGIN_PATH");
  std::vector<mirel::TPluginReport> reports;
  if (!screenshot)
    reports = window.LoadPlugins(mirel::PluginFolders(programDir, pluginPath ? pluginPath : ""));
  if (listMenu) return ListMenu(window, reports);
  if (!args.isEmpty()) {
    const QString project = QDir::current().absoluteFilePath(args.front());
    if (!window.OpenProject(project) && screenshot) return kExitFailure;
  }
  if (screenshot)
    return Screenshot(window, parser.value(QStringLiteral("screenshot")),
                      parser.value(QStringLiteral("unit")));
  window.show();
  return QApplication::exec();
}
