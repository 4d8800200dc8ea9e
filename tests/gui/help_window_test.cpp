#include "gui/shell/help_window.h"

#include <QTest>

#include <gtest/gtest.h>

namespace orvendi {
namespace {

TEST(HelpWindowTest, EscapeAndControlWCloseIt) {
  HelpWindow help;
  for (const auto modifier : {Qt::NoModifier, Qt::ControlModifier}) {
    help.ShowIndex();
    QTest::keyClick(&help, modifier == Qt::NoModifier ? Qt::Key_Escape : Qt::Key_W, modifier);
    EXPECT_FALSE(help.isVisible()) << modifier;
  }
  help.ShowIndex();
  QTest::keyClick(&help, Qt::Key_W);
  EXPECT_TRUE(help.isVisible());
}

}  // namespace
}  // namespace orvendi
