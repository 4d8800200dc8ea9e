#include "gui/shell/help_window.h"

#include <QTest>

#include <gtest/gtest.h>

namespace orvendi {
namespace {

TEST(HelpWindowTest, EscapeAndControlWCloseIt) {
  HelpWindow help;
  for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_W)}) {
    help.ShowIndex();
    ASSERT_TRUE(help.isVisible());
    QTest::keyClick(&help, key.key(), key.keyboardModifiers());
    EXPECT_FALSE(help.isVisible()) << key.toCombined();
  }
  help.ShowIndex();
  QTest::keyClick(&help, Qt::Key_W);
  EXPECT_TRUE(help.isVisible());
}

}  // namespace
}  // namespace orvendi
