// Qt test programs run in one QApplication (offscreen unless a platform is
// set), with the user's settings redirected into a private folder so that no
// test reads or writes the real configuration.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace {
QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns on every fixed-size window that it cannot
// pass size hints on; that says nothing about the dialogs.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  defaultHandler(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
  defaultHandler = qInstallMessageHandler(QuietHandler);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  QApplication app(argc, argv);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
