#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "core/analysis/point_results.h"
#include "core/app/file_names.h"
#include "core/app/menu_model.h"
#include "core/design/design_file.h"
#include "core/position/calculation.h"
#include "core/views/view_geometry.h"
#include "gui/files/design_files.h"
#include "gui/files/file_system_path.h"
#include "gui/files/qt_recovery.h"
#include "gui/shell/main_window.h"
#include "gui/widgets/drawing_window.h"
#include "support/modal_probe.h"

namespace orvendi {
namespace {

using testing::ModalSeen;
using testing::ProbeModal;
using Question = DesignFiles::FileQuestion;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(content);
}

// Clicks `button` of the message box that opening brings up and returns what the box said.
QString Answer(const std::function<void()>& open, QMessageBox::StandardButton button) {
  QString text;
  const ModalSeen seen = ProbeModal(open, {}, [&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
      ADD_FAILURE() << "not a message box: " << modal->windowTitle().toStdString();
      modal->close();
      return;
    }
    text = box->text();
    box->button(button)->click();
  });
  EXPECT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, QString("Orvendi"));
  return text;
}

// Lets `handle` answer every modal window that comes up while `open` runs; returns how many did.
int AnswerEach(const std::function<void()>& open, const std::function<void(QWidget*)>& handle) {
  int count = 0;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    ++count;
    handle(modal);
  });
  timer.start();
  open();
  return count;
}

class DesignFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    QSettings().remove(QStringLiteral("recentFiles"));
    recovery_folder = dir.filePath("recovery");
    window = std::make_unique<MainWindow>(recovery_folder);
    window->Files().SetFileChooser([this](Question question, const QString&) {
      asked.push_back(question);
      if (answers.empty()) return QString();
      const QString answer = answers.front();
      answers.pop_front();
      return answer;
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    State().design.app_active = 1;
    // A message nobody expected would wait for an answer for ever: fail and close it instead.
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || !modal->isVisible()) {
        modal_since.invalidate();
        return;
      }
      if (!modal_since.isValid()) modal_since.start();
      if (modal_since.elapsed() < 3000) return;
      const auto* box = qobject_cast<QMessageBox*>(modal);
      ADD_FAILURE() << "unexpected window: " << (box != nullptr ? box->text() : modal->windowTitle()).toStdString();
      modal->close();
      modal_since.invalidate();
    });
    watchdog.start(100);
  }

  void TearDown() override {
    if (window) {
      State().design.design_modified = 0;
      window->close();
    }
  }

  AppState& State() { return window->State(); }
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  std::string DesignText() { return WriteDesignJson(State().design, StoredView{}); }
  QString OwnRecoveryFile() const {
    return recovery_folder + "/" +
           QString::fromStdString(RecoveryNamesFor(QCoreApplication::applicationPid()).design);
  }

  // Types `text` into the edit `id` of the dialog the command opens and presses OK.
  void EditInDialog(int command, const char* id, const QString& text) {
    const ModalSeen seen = ProbeModal([&] { window->RunCommand(command); },
                                      [&](QWidget* dialog) {
                                        auto* edit = dialog->findChild<QLineEdit*>(id);
                                        ASSERT_NE(edit, nullptr);
                                        edit->setText(text);
                                      },
                                      [](QWidget* dialog) { dialog->findChild<QAbstractButton*>("1")->click(); });
    ASSERT_TRUE(seen.seen);
  }

  void DragGenerator(int g, QPoint by) {
    const GeneratorRecord& generator = State().design.generators[g];
    const QPoint start(WorldToWindowX(State().view, generator.x, generator.y),
                       WorldToWindowY(State().view, generator.y, generator.z));
    QWidget* viewport = window->Drawing()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 8; ++step) QTest::mouseMove(viewport, start + by * step / 8);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + by);
  }

  // The figures of the window's last Calculate, and those a fresh program (the command line)
  // computes from the design's file at `path`.
  ErrorSummary WindowFigures() { return CollectPointResults(State().design, State().results).summary; }
  static ErrorSummary FileFigures(const QString& path) {
    DesignRecord design;
    StoredView view;
    std::string error;
    EXPECT_TRUE(ReadDesignFile(path.toStdString(), design, view, error)) << error;
    ResultBuffer results;
    CalculationWork work;
    NoProgress progress;
    CalculateCommand(design, results, work, progress);
    return CollectPointResults(design, results).summary;
  }

  QTemporaryDir dir;
  QTimer watchdog;
  QElapsedTimer modal_since;
  QString recovery_folder;
  std::unique_ptr<MainWindow> window;
  std::deque<QString> answers;
  std::vector<Question> asked;
};

TEST_F(DesignFilesTest, TheTitleNamesTheFileAndMarksUnsavedChanges) {
  EXPECT_EQ(window->windowTitle(), QString("Untitled[*] - Orvendi"));
  EXPECT_FALSE(window->isWindowModified());

  // OK without a change is no edit.
  ProbeModal([&] { window->RunCommand(kCmdFrequency); }, {},
             [](QWidget* dialog) { dialog->findChild<QAbstractButton*>("1")->click(); });
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->UndoStack().count(), 0);

  EditInDialog(kCmdFrequency, "2067", "2500");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(State().design.design_modified, 1);

  answers.push_back(Path("coil.orvendi"));
  window->RunCommand(kCmdSave);
  EXPECT_EQ(asked, std::vector<Question>{Question::kSaveAs});
  EXPECT_EQ(window->windowTitle(), QString("coil.orvendi[*] - Orvendi"));
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(State().design.design_modified, 0);
  EXPECT_TRUE(ReadAll(Path("coil.orvendi")).contains("2500"));

  // Save with a file asks for none.
  EditInDialog(kCmdFrequency, "2067", "3000");
  window->RunCommand(kCmdSave);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_TRUE(ReadAll(Path("coil.orvendi")).contains("3000"));
}

TEST_F(DesignFilesTest, CloseQuestionYesSavesToTheDesignsFile) {
  answers.push_back(Path("a.orvendi"));
  window->RunCommand(kCmdSaveAs);
  EditInDialog(kCmdFrequency, "2067", "4321");
  const QString text = Answer([&] { window->close(); }, QMessageBox::Yes);
  EXPECT_EQ(text, QString("Design has changed\n\nDo you wish to save the changes?"));
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(ReadAll(Path("a.orvendi")).contains("4321"));
}

TEST_F(DesignFilesTest, CloseQuestionYesOnAnUntitledDesignAsksForAFileAndCancellingKeepsTheWindow) {
  EditInDialog(kCmdFrequency, "2067", "4321");
  Answer([&] { window->close(); }, QMessageBox::Yes);
  EXPECT_EQ(asked, std::vector<Question>{Question::kSaveAs});
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isWindowModified());

  answers.push_back(Path("b.orvendi"));
  Answer([&] { window->close(); }, QMessageBox::Yes);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(ReadAll(Path("b.orvendi")).contains("4321"));
}

TEST_F(DesignFilesTest, CloseQuestionNoDiscardsAndCancelKeeps) {
  answers.push_back(Path("c.orvendi"));
  window->RunCommand(kCmdSaveAs);
  const QByteArray saved = ReadAll(Path("c.orvendi"));
  EditInDialog(kCmdFrequency, "2067", "4321");
  window->Files().WriteRecoveryNow();
  ASSERT_TRUE(QFile::exists(OwnRecoveryFile()));

  Answer([&] { window->close(); }, QMessageBox::Cancel);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(QFile::exists(OwnRecoveryFile()));

  Answer([&] { window->close(); }, QMessageBox::No);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ReadAll(Path("c.orvendi")), saved);
  EXPECT_FALSE(QFile::exists(OwnRecoveryFile()));
}

TEST_F(DesignFilesTest, NewAndOpenAskBeforeReplacingAChangedDesign) {
  answers.push_back(Path("saved.orvendi"));
  window->RunCommand(kCmdSaveAs);
  EditInDialog(kCmdBedDesign, "2010", "7.5");
  const std::string changed = DesignText();

  Answer([&] { window->RunCommand(kCmdNew); }, QMessageBox::Cancel);
  EXPECT_EQ(DesignText(), changed);
  Answer([&] { window->RunCommand(kCmdOpen); }, QMessageBox::Cancel);
  EXPECT_EQ(DesignText(), changed);
  EXPECT_EQ(asked.size(), 1u) << "cancelled before the file question";

  answers.push_back(Path("saved.orvendi"));
  Answer([&] { window->RunCommand(kCmdOpen); }, QMessageBox::No);
  EXPECT_EQ(State().design.bed_ohms_per_m, 1.0);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->Files().FilePath(), QFileInfo(Path("saved.orvendi")).absoluteFilePath());

  EditInDialog(kCmdBedDesign, "2010", "7.5");
  Answer([&] { window->RunCommand(kCmdNew); }, QMessageBox::No);
  EXPECT_EQ(State().design.bed_ohms_per_m, 1.0);
  EXPECT_EQ(window->windowTitle(), QString("Untitled[*] - Orvendi"));
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->UndoStack().count(), 0);

  // An unchanged design is replaced without a question.
  EXPECT_FALSE(ProbeModal([&] { window->RunCommand(kCmdNew); }, {}, {}, 200).seen);
}

TEST_F(DesignFilesTest, AGeneratorDragIsOneStepThatUndoesAndRedoesBitForBit) {
  const std::string before = DesignText();
  DragGenerator(2, QPoint(-37, 23));
  const std::string after = DesignText();
  ASSERT_NE(after, before);
  EXPECT_EQ(window->UndoStack().count(), 1);
  EXPECT_EQ(window->ActionFor(kCmdUndo)->text(), QString("&Undo Move Generator 2"));
  EXPECT_TRUE(window->isWindowModified());

  window->RunCommand(kCmdSave);  // asks, and the answer is "cancel"
  answers.push_back(Path("drag.orvendi"));
  window->RunCommand(kCmdSave);
  ASSERT_FALSE(window->isWindowModified());

  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(DesignText(), before);
  EXPECT_TRUE(window->isWindowModified()) << "an undo changes the design";
  EXPECT_EQ(State().view.view_centre_z, 0.0) << "Ctrl+Z is not the Z key";
  EXPECT_EQ(window->ActionFor(kCmdRedo)->text(), QString("&Redo Move Generator 2"));
  EXPECT_FALSE(window->ActionFor(kCmdUndo)->isEnabled());

  QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(DesignText(), after);
  window->RunCommand(kCmdUndo);
  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(DesignText(), after);
  EXPECT_EQ(State().view.view_centre_y, 0.0);

  // A press that picks nothing is no step.
  QTest::mouseClick(window->Drawing()->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(window->UndoStack().count(), 1);
}

// Keys work while the button is held: an undo or a new design in the middle of a drag.
TEST_F(DesignFilesTest, ADragAcrossAnUndoOrANewDesignNeverBringsBackWhatWasReplaced) {
  const std::string original = DesignText();
  EditInDialog(kCmdBedDesign, "2010", "7.5");
  const GeneratorRecord& generator = State().design.generators[1];
  const QPoint start(WorldToWindowX(State().view, generator.x, generator.y),
                     WorldToWindowY(State().view, generator.y, generator.z));
  const QPoint end = start + QPoint(30, 10);
  QWidget* viewport = window->Drawing()->viewport();
  // The keys go to the active window, which the dialog was last.
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(State().design.bed_ohms_per_m, 1.0);
  QTest::mouseMove(viewport, end);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
  const std::string moved = DesignText();
  ASSERT_NE(moved, original);
  EXPECT_EQ(State().design.bed_ohms_per_m, 1.0);
  EXPECT_EQ(window->UndoStack().count(), 1) << "the drag takes the place of the undone edit";
  window->RunCommand(kCmdUndo);
  EXPECT_EQ(DesignText(), original) << "undoing the drag brought back the undone edit";
  window->RunCommand(kCmdRedo);
  EXPECT_EQ(DesignText(), moved);

  answers.push_back(Path("dragged.orvendi"));
  window->RunCommand(kCmdSave);
  QTest::mousePress(viewport, Qt::LeftButton, {}, end);
  window->RunCommand(kCmdNew);
  const std::string fresh = DesignText();
  QTest::mouseMove(viewport, start);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, start);
  EXPECT_EQ(DesignText(), fresh);
  EXPECT_EQ(window->UndoStack().count(), 0) << "a step reached back into the design before New";
  EXPECT_FALSE(window->Drawing()->MouseCaptured());
}

TEST_F(DesignFilesTest, BedMovesAndResizesAreStepsOfTheirOwn) {
  window->RunCommand(kCmdBedPosition);
  const std::string before = DesignText();
  QWidget* viewport = window->Drawing()->viewport();
  const ViewState& view = State().view;
  // On the left edge, between the corner handle and the one in the middle of the side.
  const QPoint edge(WorldToWindowX(view, -0.5, 0.25), WorldToWindowY(view, 0.25, 0.0));
  QTest::mousePress(viewport, Qt::LeftButton, {}, edge);
  for (int step = 1; step <= 5; ++step) QTest::mouseMove(viewport, edge + QPoint(6 * step, 0));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, edge + QPoint(30, 0));
  const std::string moved = DesignText();
  ASSERT_NE(moved, before);
  EXPECT_EQ(window->ActionFor(kCmdUndo)->text(), QString("&Undo Move Bed"));

  const QPoint corner(WorldToWindowX(view, State().design.bed_x1, State().design.bed_y1),
                      WorldToWindowY(view, State().design.bed_y1, State().design.bed_z1));
  QTest::mousePress(viewport, Qt::LeftButton, {}, corner);
  QTest::mouseMove(viewport, corner + QPoint(-20, 15));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, corner + QPoint(-20, 15));
  ASSERT_EQ(window->UndoStack().count(), 2);
  EXPECT_EQ(window->ActionFor(kCmdUndo)->text(), QString("&Undo Resize Bed"));

  window->RunCommand(kCmdUndo);
  EXPECT_EQ(DesignText(), moved);
  window->RunCommand(kCmdUndo);
  EXPECT_EQ(DesignText(), before);
  EXPECT_EQ(State().design.edit_mode, 1) << "the edit mode is no part of a step";
}

TEST_F(DesignFilesTest, AfterMouseEditsAndTheirUndoTheWindowCalculatesWhatTheFileGives) {
  State().design.include_bed_currents = 1;
  State().design.noise_peak_v = 0.0;  // the noise sequence runs on between Calculates
  window->RunCommand(kCmdCalculate);
  const auto same_as_file = [&](const char* name) {
    window->RunCommand(kCmdCalculate);
    ASSERT_TRUE(window->Files().SaveFile(Path(name)));
    const ErrorSummary file = FileFigures(Path(name));
    const ErrorSummary shown = WindowFigures();
    EXPECT_EQ(shown.max_error_m, file.max_error_m) << name;
    EXPECT_EQ(shown.rms_error_m, file.rms_error_m) << name;
  };
  DragGenerator(0, QPoint(-40, 30));
  same_as_file("dragged.orvendi");
  window->RunCommand(kCmdBedPosition);
  const QPoint edge(WorldToWindowX(State().view, State().design.bed_x1, 0.25),
                    WorldToWindowY(State().view, 0.25, 0.0));
  QWidget* viewport = window->Drawing()->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, edge);
  QTest::mouseMove(viewport, edge + QPoint(40, 20));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, edge + QPoint(40, 20));
  ASSERT_EQ(window->UndoStack().count(), 2);
  same_as_file("bed_moved.orvendi");
  window->RunCommand(kCmdUndo);
  same_as_file("bed_move_undone.orvendi");
  window->RunCommand(kCmdRedo);
  same_as_file("bed_move_redone.orvendi");
}

TEST_F(DesignFilesTest, OpenAndNewStartTheNoiseSequenceAfreshAsAFreshProgramDoes) {
  State().design.noise_peak_v = 2e-5;
  window->RunCommand(kCmdCalculate);
  const ErrorSummary first = WindowFigures();
  window->RunCommand(kCmdCalculate);
  EXPECT_NE(WindowFigures().rms_error_m, first.rms_error_m) << "each Calculate draws fresh noise";
  ASSERT_TRUE(window->Files().SaveFile(Path("noisy.orvendi")));
  ASSERT_TRUE(window->Files().OpenFile(Path("noisy.orvendi")));
  window->RunCommand(kCmdCalculate);
  const ErrorSummary file = FileFigures(Path("noisy.orvendi"));
  EXPECT_EQ(WindowFigures().max_error_m, file.max_error_m);
  EXPECT_EQ(WindowFigures().rms_error_m, file.rms_error_m);

  window->RunCommand(kCmdNew);
  State().design.noise_peak_v = 2e-5;
  window->RunCommand(kCmdCalculate);
  const ErrorSummary after_new = WindowFigures();
  window->RunCommand(kCmdNew);
  State().design.noise_peak_v = 2e-5;
  window->RunCommand(kCmdCalculate);
  EXPECT_EQ(WindowFigures().rms_error_m, after_new.rms_error_m);
}

TEST_F(DesignFilesTest, ADialogChangeUndoesBitForBitAndLeavesTheBedModelStaleAsTheDialogDoes) {
  window->RunCommand(kCmdCalculate);
  ProbeModal([&] { window->RunCommand(kCmdBedCurrents); });  // brings the bed model up to date
  ASSERT_EQ(State().design.bed_stale, 0);
  ASSERT_EQ(State().design.results_valid, 1);
  const std::string before = DesignText();

  EditInDialog(kCmdBedDesign, "2010", "0.30000000000000004");
  const std::string after = DesignText();
  EXPECT_EQ(State().design.bed_ohms_per_m, 0.30000000000000004);
  EXPECT_EQ(window->ActionFor(kCmdUndo)->text(), QString("&Undo Bed Design"));

  ProbeModal([&] { window->RunCommand(kCmdBedCurrents); });
  ASSERT_EQ(State().design.bed_stale, 0);
  window->RunCommand(kCmdUndo);
  EXPECT_EQ(DesignText(), before);
  EXPECT_EQ(State().design.bed_stale, 1);
  EXPECT_EQ(State().design.results_valid, 1) << "the dialog's OK keeps the results, so does its undo";

  window->RunCommand(kCmdRedo);
  EXPECT_EQ(DesignText(), after);

  // A dialog that leaves the bed model alone leaves it alone when undone.
  ProbeModal([&] { window->RunCommand(kCmdBedCurrents); });
  EditInDialog(kCmdSignalNoise, "2027", "0.25");
  window->RunCommand(kCmdUndo);
  EXPECT_EQ(State().design.bed_stale, 0);
  EXPECT_EQ(DesignText(), after);
}

TEST_F(DesignFilesTest, TheRecentListKeepsTheLastEightNewestFirstInTheSettings) {
  for (int i = 0; i < 10; ++i) {
    const QString path = dir.filePath(QStringLiteral("r%1.orvendi").arg(i));
    answers.push_back(path);
    window->RunCommand(kCmdSaveAs);
  }
  const QStringList recent = window->Files().RecentFiles();
  ASSERT_EQ(recent.size(), 8);
  EXPECT_EQ(recent.front(), dir.filePath("r9.orvendi"));
  EXPECT_EQ(recent.back(), dir.filePath("r2.orvendi"));
  EXPECT_EQ(QSettings().value("recentFiles").toStringList(), recent);
  EXPECT_TRUE(QSettings().fileName().startsWith(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))));

  emit window->RecentMenu()->aboutToShow();
  const QList<QAction*> items = window->RecentMenu()->actions();
  ASSERT_EQ(items.size(), 8);
  EXPECT_EQ(items[0]->text(), QString("&1 r9.orvendi"));
  EXPECT_EQ(items[7]->data().toInt(), kCmdRecentLast);

  // Opening one moves it to the front; a file that has gone is reported and leaves the list.
  EditInDialog(kCmdFrequency, "2067", "99");
  Answer([&] { items[3]->trigger(); }, QMessageBox::No);
  EXPECT_EQ(window->Files().FilePath(), dir.filePath("r6.orvendi"));
  EXPECT_EQ(window->Files().RecentFiles().front(), dir.filePath("r6.orvendi"));
  ASSERT_TRUE(QFile::remove(dir.filePath("r5.orvendi")));
  Answer([&] { window->RunCommand(kCmdRecentFirst + 4); }, QMessageBox::Ok);
  EXPECT_FALSE(window->Files().RecentFiles().contains(dir.filePath("r5.orvendi")));
  EXPECT_EQ(window->Files().FilePath(), dir.filePath("r6.orvendi"));

  // Another window reads the same list.
  MainWindow other(recovery_folder);
  EXPECT_EQ(other.Files().RecentFiles(), window->Files().RecentFiles());
}

// UTF-8 as the toolkit reads it; a sequence cut short, overlong, a surrogate or past U+10FFFF kept
// byte for byte.
TEST(FileSystemPathTest, EveryNameComesBackByteForByte) {
  for (const std::string name : {"/tmp/caf\xc3\xa9/\xe2\x82\xac\xf0\x9f\x98\x80", "/tmp/\xff\xfe", "/tmp/cut\xe2\x82",
                                 "/tmp/\xc0\xaf", "/tmp/\xed\xa0\x80", "/tmp/\xf4\x90\x80\x80", "/tmp/\x80x\xbf"}) {
    const QString text = PathFromFileSystem(name);
    EXPECT_EQ(FileSystemPath(text), name) << text.toStdString();
  }
  EXPECT_EQ(PathFromFileSystem("/tmp/caf\xc3\xa9"), QFile::decodeName("/tmp/caf\xc3\xa9"));
}

// The file dialog hands over "d\ufffd.orvendi" for the file d\xff.orvendi: the one entry that reads so
// is found; two that read alike, or none, leave the name as chosen.
TEST(FileSystemPathTest, ANameTheFileDialogDecodedLossilyFindsItsFile) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  for (const char* name : {"d\xff.orvendi", "e\xfe.orvendi", "e\xfd.orvendi"}) std::ofstream(folder + name) << "{}";
  const auto chosen = [&](const char* name) { return QFile::decodeName(QByteArray::fromStdString(folder + name)); };
  EXPECT_EQ(FileSystemPath(ExistingPathOf(chosen("d\xff.orvendi"))), folder + "d\xff.orvendi");
  EXPECT_EQ(ExistingPathOf(chosen("e\xfe.orvendi")), chosen("e\xfe.orvendi"));
  EXPECT_EQ(ExistingPathOf(chosen("f\xff.orvendi")), chosen("f\xff.orvendi"));
}

TEST_F(DesignFilesTest, ANameThatIsNotUtf8OpensFromTheCommandLineAndTheRecentList) {
  const std::string path = dir.path().toStdString() + "/d\xff\xfe-\xc3\x28.orvendi";
  DesignRecord design = State().design;
  design.frequency_hz = 4321.0;
  std::string error;
  ASSERT_TRUE(WriteDesignFile(path, design, StoredView{}, error)) << error;

  // As main() hands over its argument.
  ASSERT_TRUE(window->Files().OpenFile(PathFromFileSystem(path)));
  EXPECT_EQ(State().design.frequency_hz, 4321.0);
  ASSERT_FALSE(window->Files().RecentFiles().isEmpty());
  EXPECT_EQ(FileSystemPath(window->Files().RecentFiles().front()), path);

  // The list as the settings keep it for the next start.
  EXPECT_EQ(FileSystemPath(MainWindow(recovery_folder).Files().RecentFiles().front()), path);

  window->RunCommand(kCmdNew);
  EXPECT_EQ(State().design.frequency_hz, 10000.0);
  window->RunCommand(kCmdRecentFirst);
  EXPECT_EQ(State().design.frequency_hz, 4321.0);
  EXPECT_EQ(FileSystemPath(window->Files().FilePath()), path);

  // Saving writes that very file, not one of another name.
  EditInDialog(kCmdFrequency, "2067", "99");
  window->RunCommand(kCmdSave);
  DesignRecord saved;
  StoredView view;
  ASSERT_TRUE(ReadDesignFile(path, saved, view, error)) << error;
  EXPECT_EQ(saved.frequency_hz, 99.0);
  // The toolkit cannot list such a name: count what the file system holds.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path().toStdString())) {
    files += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(DesignFilesTest, EveryKindOfBadFileIsReportedAndChangesNothing) {
  answers.push_back(Path("good.orvendi"));
  window->RunCommand(kCmdSaveAs);
  EditInDialog(kCmdFrequency, "2067", "1234");
  const std::string design = DesignText();
  const ViewState view = State().view;

  WriteAll(Path("malformed.orvendi"), "{\"format\": \"orvendi-design\", \"version\": 1,");
  WriteAll(Path("empty.orvendi"), "");
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.orvendi"));
  for (const char* name : {"malformed.orvendi", "empty.orvendi", "folder.orvendi", "missing.orvendi"}) {
    SCOPED_TRACE(name);
    QString text;
    const ModalSeen seen = ProbeModal([&] { EXPECT_FALSE(window->Files().OpenFile(Path(name))); },
                                      [&](QWidget* box) { text = qobject_cast<QMessageBox*>(box)->text(); });
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QString("Orvendi"));
    EXPECT_TRUE(text.contains(QString::fromLatin1(name))) << text.toStdString();
    EXPECT_EQ(DesignText(), design);
    EXPECT_TRUE(State().view == view);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->Files().FilePath(), Path("good.orvendi"));
    EXPECT_EQ(window->UndoStack().count(), 1);
  }
}

TEST_F(DesignFilesTest, AFailedSaveIsReportedLeavesWhatWasThereAndKeepsTheDesignModified) {
  EditInDialog(kCmdFrequency, "2067", "1234");
  ASSERT_TRUE(QDir(dir.path()).mkpath("target.orvendi/inside"));
  WriteAll(Path("plain"), "a file, not a folder");
  for (const char* name : {"no-such-folder/x.orvendi", "target.orvendi", "plain/x.orvendi"}) {
    SCOPED_TRACE(name);
    const ModalSeen seen = ProbeModal([&] { EXPECT_FALSE(window->Files().SaveFile(Path(name))); });
    EXPECT_TRUE(seen.seen);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->Files().FilePath(), QString());
  }
  EXPECT_TRUE(QFileInfo(Path("target.orvendi/inside")).isDir());
  EXPECT_EQ(ReadAll(Path("plain")), QByteArray("a file, not a folder"));
  EXPECT_FALSE(QFileInfo::exists(Path("no-such-folder")));
  // No half-written file is left beside the targets.
  const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(left, QStringList{"plain"});
}

// Save writes the design in the window; what became of the file since it was opened is no input.
TEST_F(DesignFilesTest, SaveWritesTheOpenDesignWhateverHappenedToItsFileMeanwhile) {
  DesignRecord other = State().design;
  other.frequency_hz = 55.0;
  std::string other_text = WriteDesignJson(other, StoredView{});
  const struct {
    const char* what;
    std::function<void(const QString&)> change;
  } changes[] = {
      {"truncated", [](const QString& path) { WriteAll(path, ""); }},
      {"cut in half", [](const QString& path) { WriteAll(path, ReadAll(path).left(ReadAll(path).size() / 2)); }},
      {"replaced by another design", [&](const QString& path) { WriteAll(path, QByteArray::fromStdString(other_text)); }},
      {"replaced by garbage", [](const QString& path) { WriteAll(path, QByteArray("\0\xff{[", 5)); }},
      {"removed", [](const QString& path) { QFile::remove(path); }},
  };
  answers.push_back(Path("open.orvendi"));
  window->RunCommand(kCmdSaveAs);
  for (const auto& change : changes) {
    SCOPED_TRACE(change.what);
    ASSERT_TRUE(window->Files().OpenFile(Path("open.orvendi")));
    EditInDialog(kCmdFrequency, "2067", "4321");
    const std::string in_window = DesignText();
    change.change(Path("open.orvendi"));

    EXPECT_FALSE(ProbeModal([&] { window->RunCommand(kCmdSave); }, {}, {}, 200).seen);
    EXPECT_EQ(ReadAll(Path("open.orvendi")).toStdString(), in_window);
    EXPECT_EQ(DesignText(), in_window);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(asked.size(), 1u) << "Save asked for a file";
  }
}

TEST_F(DesignFilesTest, OpeningShowsTheFilesViewAndNoResults) {
  DesignRecord design = State().design;
  SetGeneratorPosition(design.generators[1], -0.4, 0.1, 0.0);
  const StoredView stored{2, 150, 0.1, -0.2, 0.3};
  std::string error;
  ASSERT_TRUE(WriteDesignFile(Path("view.orvendi").toStdString(), design, stored, error)) << error;
  window->RunCommand(kCmdCalculate);
  ASSERT_EQ(State().design.results_valid, 1);

  ASSERT_TRUE(window->Files().OpenFile(Path("view.orvendi")));
  const ViewState& view = State().view;
  EXPECT_EQ(view.current_view, 2);
  EXPECT_EQ(view.scale_percent, 150);
  EXPECT_EQ(view.pixels_per_metre_x, 600.0);
  EXPECT_EQ(view.view_centre_y, -0.2);
  EXPECT_EQ(view.hscroll_pos, 300);
  EXPECT_EQ(State().design.generators[1].x, -0.4);
  EXPECT_EQ(State().design.results_valid, 0);
  EXPECT_EQ(State().design.app_active, 1);
  window->UpdateMenuMarks();
  EXPECT_TRUE(window->ActionFor(kCmdViewSide)->isChecked());
  EXPECT_TRUE(window->ActionFor(kCmdScale150)->isChecked());
  EXPECT_FALSE(window->ActionFor(kCmdExportCsv)->isEnabled());
}

TEST_F(DesignFilesTest, ExportWritesThePointResultsOnceThereAreAny) {
  window->UpdateMenuMarks();
  EXPECT_FALSE(window->ActionFor(kCmdExportCsv)->isEnabled());
  window->RunCommand(kCmdExportCsv);
  EXPECT_TRUE(asked.empty());

  window->RunCommand(kCmdCalculate);
  EXPECT_TRUE(window->ActionFor(kCmdExportCsv)->isEnabled());
  answers.push_back(Path("points.csv"));
  window->RunCommand(kCmdExportCsv);
  const QList<QByteArray> lines = ReadAll(Path("points.csv")).split('\n');
  ASSERT_GT(lines.size(), 2);
  EXPECT_EQ(lines[0],
            QByteArray("first_index,second_index,true_x_m,true_y_m,true_z_m,estimated_x_m,estimated_y_m,"
                       "estimated_z_m,error_m"));
  EXPECT_FALSE(window->isWindowModified());

  answers.push_back(Path("missing/points.csv"));
  EXPECT_TRUE(ProbeModal([&] { window->RunCommand(kCmdExportCsv); }).seen);
}

class RecoveryTest : public DesignFilesTest {
 protected:
  // A design that a program no longer running left behind.
  QString LeaveDesign(const char* pid, double frequency, const QString& saved_path) {
    QDir().mkpath(recovery_folder);
    DesignRecord design = State().design;
    design.frequency_hz = frequency;
    const QString path = recovery_folder + "/recovery-" + pid + ".orvendi";
    std::string error;
    EXPECT_TRUE(WriteDesignFile(path.toStdString(), design, StoredView{}, error)) << error;
    if (!saved_path.isEmpty()) WriteAll(recovery_folder + "/recovery-" + pid + ".source", saved_path.toUtf8());
    return path;
  }

  // Offers the left designs, answers Restore and then the refusal that follows; returns the
  // refusal's text.
  QString RestoreRefused(int& boxes) {
    QString refusal;
    boxes = AnswerEach([&] { window->Files().OfferRecovery(); }, [&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      if (auto* restore = box->findChild<QAbstractButton*>("Restore")) {
        restore->click();
        return;
      }
      refusal = box->text();
      box->button(QMessageBox::Ok)->click();
    });
    return refusal;
  }

  ModalSeen Offer(const char* button) {
    return ProbeModal([&] { window->Files().OfferRecovery(); }, {},
                      [&](QWidget* box) { box->findChild<QAbstractButton*>(button)->click(); });
  }
};

TEST_F(RecoveryTest, AChangeIsWrittenAfterAPauseAndRemovedOnSave) {
  EXPECT_FALSE(window->Files().RecoveryTimer().isActive());
  EditInDialog(kCmdFrequency, "2067", "1234");
  EXPECT_TRUE(window->Files().RecoveryTimer().isActive());
  EXPECT_TRUE(window->Files().RecoveryTimer().isSingleShot());
  EXPECT_EQ(window->Files().RecoveryTimer().interval(), 5000);
  EXPECT_FALSE(QFile::exists(OwnRecoveryFile()));

  window->Files().WriteRecoveryNow();
  DesignRecord read;
  StoredView view;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(OwnRecoveryFile().toStdString(), read, view, error)) << error;
  EXPECT_EQ(read.frequency_hz, 1234.0);

  answers.push_back(Path("saved.orvendi"));
  window->RunCommand(kCmdSave);
  EXPECT_FALSE(QFile::exists(OwnRecoveryFile()));
  EXPECT_FALSE(window->Files().RecoveryTimer().isActive());
}

TEST_F(RecoveryTest, ALeftDesignIsRestoredAsModifiedUnderItsFileName) {
  const QString left = LeaveDesign("999999", 777.0, "/somewhere/plan.orvendi");
  const ModalSeen seen = Offer("Restore");
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, QString("Orvendi"));
  EXPECT_EQ(State().design.frequency_hz, 777.0);
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(window->windowTitle(), QString("plan.orvendi[*] - Orvendi"));
  EXPECT_EQ(window->Files().FilePath(), QString("/somewhere/plan.orvendi"));
  EXPECT_FALSE(QFile::exists(left));
  EXPECT_FALSE(QFile::exists(recovery_folder + "/recovery-999999.source"));
  // The design is this program's to keep safe now.
  EXPECT_TRUE(QFile::exists(OwnRecoveryFile()));
  EXPECT_FALSE(Offer("Restore").seen);
}

TEST_F(RecoveryTest, DiscardDeletesTheLeftDesign) {
  const QString left = LeaveDesign("999999", 777.0, {});
  ASSERT_TRUE(Offer("Discard").seen);
  EXPECT_EQ(State().design.frequency_hz, 10000.0);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(QFile::exists(left));
}

TEST_F(RecoveryTest, AnOfferLeftWithoutAnAnswerKeepsTheDesignForTheNextStart) {
  const QString left = LeaveDesign("999999", 777.0, {});
  ASSERT_TRUE(ProbeModal([&] { window->Files().OfferRecovery(); }).seen);
  EXPECT_EQ(State().design.frequency_hz, 10000.0);
  EXPECT_TRUE(QFile::exists(left));
  EXPECT_TRUE(Offer("Restore").seen);
  EXPECT_EQ(State().design.frequency_hz, 777.0);
}

TEST_F(RecoveryTest, ACorruptLeftDesignIsRefusedWithAMessage) {
  QDir().mkpath(recovery_folder);
  const QString left = recovery_folder + "/recovery-999997.orvendi";
  WriteAll(left, "{\"format\": \"orvendi-design\", \"generators\": [1, 2");
  int boxes = 0;
  const QString refusal = RestoreRefused(boxes);
  EXPECT_EQ(boxes, 2);
  EXPECT_TRUE(refusal.contains("recovery-999997.orvendi")) << refusal.toStdString();
  EXPECT_EQ(State().design.frequency_hz, 10000.0);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(QFile::exists(left));
}

TEST_F(RecoveryTest, EveryKindOfDamagedLeftDesignIsRefusedWithAMessageAndRemoved) {
  DesignRecord design = State().design;
  design.frequency_hz = 777.0;
  const QByteArray whole = QByteArray::fromStdString(WriteDesignJson(design, StoredView{}));
  QByteArray binary(4096, '\0');
  for (int i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7919 % 256);
  const struct {
    const char* what;
    QByteArray content;
  } damage[] = {
      {"empty", QByteArray()},
      {"cut short", whole.left(whole.size() - 40)},
      {"binary", binary},
      {"another format", QByteArray("{\"format\": \"something-else\", \"version\": 1}")},
      {"a value out of range", QByteArray(whole).replace("\"algorithm_type\": 1", "\"algorithm_type\": 9")},
      {"larger than any design", QByteArray(static_cast<qsizetype>(kMaxDesignFileBytes) + 10, ' ')},
  };
  QDir().mkpath(recovery_folder);
  for (const auto& d : damage) {
    SCOPED_TRACE(d.what);
    ASSERT_NE(d.content, whole);
    const QString left = recovery_folder + "/recovery-999996.orvendi";
    WriteAll(left, d.content);
    // A garbled record of where it was saved does no harm either.
    WriteAll(recovery_folder + "/recovery-999996.source", binary.left(300));
    int boxes = 0;
    const QString refusal = RestoreRefused(boxes);
    EXPECT_EQ(boxes, 2);
    EXPECT_TRUE(refusal.startsWith("The unsaved design could not be restored.")) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains("recovery-999996.orvendi")) << refusal.toStdString();
    EXPECT_EQ(State().design.frequency_hz, 10000.0);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_FALSE(QFile::exists(recovery_folder + "/recovery-999996.source"));
  }
}

TEST_F(RecoveryTest, TemporaryFilesOfAWriteCutShortGoWithTheLeftDesign) {
  const QString left = LeaveDesign("999995", 777.0, "/somewhere/plan.orvendi");
  const QStringList cut_short = {".recovery-999995.orvendi.a1B2c3", ".recovery-999995.source.Zz9Yy8"};
  const QStringList others = {".recovery-999994.orvendi.a1B2c3", ".recovery-999995.orvendi.long-name",
                              "recovery-999995.orvendi.a1B2c3"};
  for (const QString& name : cut_short + others) WriteAll(recovery_folder + "/" + name, "{");
  ASSERT_TRUE(Offer("Discard").seen);
  EXPECT_FALSE(QFile::exists(left));
  for (const QString& name : cut_short) EXPECT_FALSE(QFile::exists(recovery_folder + "/" + name)) << name.toStdString();
  for (const QString& name : others) EXPECT_TRUE(QFile::exists(recovery_folder + "/" + name)) << name.toStdString();
}

TEST_F(RecoveryTest, ADesignOfARunningProgramIsNotOffered) {
  LeaveDesign("999998", 777.0, {});
  // Held as the running program holds its own.
  QLockFile lock(recovery_folder + "/recovery-999998.lock");
  ASSERT_TRUE(lock.tryLock(0));
  EXPECT_FALSE(ProbeModal([&] { window->Files().OfferRecovery(); }, {}, {}, 200).seen);
  EXPECT_EQ(State().design.frequency_hz, 10000.0);
}

}  // namespace
}  // namespace orvendi
