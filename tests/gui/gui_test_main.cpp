#include <QApplication>
#include <QLocale>
#include <cstdlib>

#include <gtest/gtest.h>

// The offscreen platform must be chosen before the application object exists.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
