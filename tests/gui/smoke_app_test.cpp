#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

TEST(GuiSetUp, OffscreenPlatformIsInUse) {
  EXPECT_EQ(QGuiApplication::platformName(), QString("offscreen"));
}
