#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

#include <gtest/gtest.h>

// The offscreen platform must be chosen before the application object exists. Settings and the
// data folder go to a scratch folder, so the tests never touch the user's recent files or
// recovery copies.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
  setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("OrvendiTest"));
  QCoreApplication::setApplicationName(QStringLiteral("orvendi-gui-tests"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
