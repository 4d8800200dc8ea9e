#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "core/app/command_table.h"
#include "gui/files/design_files.h"
#include "gui/shell/main_window.h"
#include "gui/studies/volume_window.h"

namespace orvendi {
namespace {

class VolumeReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(recovery.path());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->State().design.app_active = 1;
    window->Files().SetFileChooser([this](DesignFiles::FileQuestion question, const QString&) {
      return files.filePath(question == DesignFiles::FileQuestion::kPrintReport ? QStringLiteral("r.pdf")
                                                                                : QStringLiteral("r.html"));
    });
  }
  void TearDown() override {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (qobject_cast<VolumeWindow*>(widget) != nullptr) widget->close();
    window->State().design.design_modified = 0;
    window->close();
  }
  void Trigger(int id) {
    QAction* action = window->ActionFor(id);
    ASSERT_NE(action, nullptr) << id;
    action->trigger();
  }
  VolumeWindow* Volume() const {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* volume = qobject_cast<VolumeWindow*>(widget); volume != nullptr && volume->isVisible()) return volume;
    return nullptr;
  }
  QByteArray Written(const QString& name) const {
    QFile file(files.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir recovery;
  QTemporaryDir files;
  std::unique_ptr<MainWindow> window;
};

TEST_F(VolumeReportTest, CalculateVolumeShowsEveryPlaneStartingAtTheWorst) {
  Trigger(kCmdVolume);
  VolumeWindow* volume = Volume();
  ASSERT_NE(volume, nullptr);
  auto* planes = volume->findChild<QComboBox*>();
  ASSERT_NE(planes, nullptr);
  EXPECT_EQ(planes->count(), 6) << "z from 0.1 to 0.6 by 0.1";
  EXPECT_EQ(volume->Plane(), volume->Volume().summary.worst_plane);
  planes->setCurrentIndex(4);
  EXPECT_EQ(volume->Plane(), 4);
  const QImage shot = volume->grab().toImage();
  EXPECT_FALSE(shot.isNull());
  EXPECT_EQ(window->State().design.design_modified, 0) << "the volume changes nothing of the design";
}

TEST_F(VolumeReportTest, ExportAndPrintWriteTheReportWithTheVolumeOnceRun) {
  Trigger(kCmdCalculate);
  Trigger(kCmdExportReport);
  const QByteArray first = Written(QStringLiteral("r.html"));
  ASSERT_TRUE(first.startsWith("<!DOCTYPE html>"));
  EXPECT_TRUE(first.contains("<h2>Calculation</h2>"));
  EXPECT_FALSE(first.contains("<h2>Volume</h2>"));

  Trigger(kCmdVolume);
  Trigger(kCmdExportReport);
  EXPECT_TRUE(Written(QStringLiteral("r.html")).contains("<h2>Volume</h2>"));

  Trigger(kCmdPrintReport);
  const QByteArray pdf = Written(QStringLiteral("r.pdf"));
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_GT(pdf.size(), 10000);
}

}  // namespace
}  // namespace orvendi
