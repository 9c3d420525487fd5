// mirel-host: the workbench program. Opens the project given on the command
// line, loads the wizard plugins and runs until the window is closed; with
// --screenshot it renders the window into a PNG instead and exits.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
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

void PrintHelp(const std::string& programDir) {
  std::printf(
      "Usage: mirel-host [PROJECT]\n"
      "       mirel-host --screenshot OUT.png [--unit NAME] PROJECT\n"
      "\n"
      "A small project workbench for Delphi applications on disk. It opens a project\n"
      "(its .dpr or .dproj file), lists the project's units and forms, shows them\n"
      "read only (binary forms as form text), and loads the wizard plugins, which add\n"
      "their commands to its menus. After a replace run the Changes panel lists every\n"
      "file the run changed, with the difference from its backup.\n"
      "\n"
      "Arguments:\n"
      "  PROJECT              the project to open: a .dpr or .dproj file\n"
      "\n"
      "Options:\n"
      "  -h, --help           show this text\n"
      "  --version            print the version and exit\n"
      "  --screenshot OUT     open PROJECT and a unit, save a picture of the window as\n"
      "                       the PNG file OUT and exit (no display needed; plugins\n"
      "                       are not loaded, so the picture is the same everywhere)\n"
      "  --unit NAME          with --screenshot: the unit shown (file or unit name);\n"
      "                       default the project's first unit\n"
      "\n"
      "Plugins: every *.so file in these folders, in this order (a file name already\n"
      "loaded from an earlier folder is skipped):\n"
      "  1. each folder of the environment variable MIREL_PLUGIN_PATH (colon separated)\n"
      "  2. <folder of mirel-host>/../lib/mirel/plugins, here:\n"
      "     %s\n"
      "A plugin is a shared library that exports the function INITWIZARD0001. What\n"
      "was loaded, and why a file was not, is listed in the Messages panel.\n"
      "\n"
      "Example:\n"
      "  mirel-host examples/bde/OrderDesk.dpr\n"
      "  MIREL_PLUGIN_PATH=$HOME/my-plugins mirel-host ~/src/App/App.dproj\n",
      mirel::PluginFolders(programDir, "").back().c_str());
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
      PrintHelp(programDir);
      return kExitOk;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("mirel-host %s\n", MIREL_VERSION);
      return kExitOk;
    }
  }
  bool screenshot = false;
  for (int i = 1; i < argc; ++i)
    screenshot = screenshot || std::strcmp(argv[i], "--screenshot") == 0;
  // A picture needs no display.
  if (screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("mirel-host"));
  QCommandLineParser parser;
  parser.addOptions({{QStringLiteral("screenshot"), QString(), QStringLiteral("OUT")},
                     {QStringLiteral("unit"), QString(), QStringLiteral("NAME")}});
  parser.addPositionalArgument(QStringLiteral("PROJECT"), QString());
  if (!parser.parse(QApplication::arguments())) {
    std::fprintf(stderr, "mirel-host: %s (see mirel-host --help)\n",
                 qPrintable(parser.errorText()));
    return kExitUsage;
  }
  const QStringList args = parser.positionalArguments();
  if (args.size() > 1 || (parser.isSet(QStringLiteral("screenshot")) && args.isEmpty()) ||
      (parser.isSet(QStringLiteral("unit")) && !parser.isSet(QStringLiteral("screenshot")))) {
    std::fprintf(stderr,
                 "mirel-host: give at most one PROJECT (and one with --screenshot; --unit only "
                 "with --screenshot); see mirel-host --help\n");
    return kExitUsage;
  }

  mirel::TWorkbenchWindow window;
  const char* pluginPath = std::getenv("MIREL_PLUGIN_PATH");
  if (!screenshot)
    window.LoadPlugins(mirel::PluginFolders(programDir, pluginPath ? pluginPath : ""));
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
