#include "gui/files/design_files.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QWidget>
#include <string>
#include <vector>

#include "core/analysis/point_results.h"
#include "core/app/app_state.h"
#include "core/app/file_names.h"
#include "core/design/atomic_file.h"
#include "core/design/design_file.h"
#include "core/views/stored_view.h"
#include "gui/files/file_system_path.h"
#include "gui/files/qt_recovery.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

const QString kRecentKey = QStringLiteral("recentFiles");
const QString kDesignFilter = QStringLiteral("Orvendi designs (*.orvendi);;All files (*)");

}  // namespace

DesignFiles::DesignFiles(AppState& state, QWidget& window, const QString& recovery_folder, DesignReplacer replace)
    : state_(state), window_(window), replace_(std::move(replace)) {
  recovery_ = std::make_unique<RecoveryStore>(recovery_folder.isEmpty() ? RecoveryStore::DefaultFolder()
                                                                        : recovery_folder);
  recovery_timer_.setSingleShot(true);
  recovery_timer_.setInterval(kRecoveryDelayMs);
  connect(&recovery_timer_, &QTimer::timeout, this, &DesignFiles::WriteRecoveryNow);
}

DesignFiles::~DesignFiles() = default;

void DesignFiles::Adopt(const QString& path, bool modified) {
  path_ = path;
  recovery_timer_.stop();
  recovery_->Remove();
  SetModified(false);
  if (modified) DesignChanged();
  UpdateTitle();
}

void DesignFiles::DropRecovery() {
  recovery_timer_.stop();
  recovery_->Remove();
}

bool DesignFiles::ConfirmClose() {
  if (state_.design.design_modified == 0) return true;
  const QMessageBox::StandardButton answer =
      QMessageBox::question(&window_, QStringLiteral("Orvendi"),
                            QStringLiteral("Design has changed\n\nDo you wish to save the changes?"),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Yes) return Save();
  return true;
}

void DesignFiles::DesignChanged() {
  SetModified(true);
  recovery_timer_.start();
}

void DesignFiles::SetModified(bool modified) {
  state_.design.design_modified = modified ? 1 : 0;
  window_.setWindowModified(modified);
}

void DesignFiles::UpdateTitle() {
  window_.setWindowTitle(ToQString(WindowTitle(FileSystemPath(path_))));
  window_.setWindowModified(state_.design.design_modified != 0);
}

void DesignFiles::NewDesign() {
  if (!ConfirmClose()) return;
  DesignRecord design;
  ApplyDesignDefaults(design);
  replace_(design, nullptr, QString(), false);
}

bool DesignFiles::OpenFile(const QString& path) {
  DesignRecord design = state_.design;
  StoredView view;
  std::string error;
  if (!ReadDesignFile(FileSystemPath(path), design, view, error)) {
    ShowFileProblem(QStringLiteral("The design could not be opened.\n\n%1").arg(QString::fromStdString(error)));
    return false;
  }
  const QString absolute = QFileInfo(path).absoluteFilePath();
  replace_(design, &view, absolute, false);
  AddRecent(absolute);
  return true;
}

void DesignFiles::OpenChosenFile() {
  if (!ConfirmClose()) return;
  const QString path = ChooseFile(FileQuestion::kOpen, QFileInfo(path_).absolutePath());
  if (!path.isEmpty()) OpenFile(path);
}

void DesignFiles::OpenRecentFile(int index) {
  const QStringList recent = RecentFiles();
  if (index < 0 || index >= recent.size()) return;
  if (!ConfirmClose()) return;
  const QString path = recent[index];
  // A file that has gone or turned bad leaves the list.
  if (!OpenFile(path)) ForgetRecent(path);
}

bool DesignFiles::SaveFile(const QString& path) {
  std::string error;
  if (!WriteDesignFile(FileSystemPath(path), state_.design, StoreView(state_.view), error)) {
    ShowFileProblem(QStringLiteral("The design could not be saved.\n\n%1").arg(QString::fromStdString(error)));
    return false;
  }
  path_ = QFileInfo(path).absoluteFilePath();
  recovery_timer_.stop();
  recovery_->Remove();
  SetModified(false);
  UpdateTitle();
  AddRecent(path_);
  return true;
}

bool DesignFiles::Save() { return path_.isEmpty() ? SaveAs() : SaveFile(path_); }

bool DesignFiles::SaveAs() {
  const QString suggestion = path_.isEmpty() ? QStringLiteral("Untitled.orvendi") : path_;
  const QString path = ChooseFile(FileQuestion::kSaveAs, suggestion);
  return !path.isEmpty() && SaveFile(path);
}

void DesignFiles::ExportCsv() {
  const QString base = path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).completeBaseName();
  const QString suggestion = QFileInfo(QFileInfo(path_).absolutePath(), base + QStringLiteral(".csv")).filePath();
  const QString path = ChooseFile(FileQuestion::kExportCsv, suggestion);
  if (path.isEmpty()) return;
  const PointResults points = CollectPointResults(state_.design, state_.results);
  std::string error;
  if (!WriteFileAtomically(FileSystemPath(path), PointResultsCsv(points.rows), error)) {
    ShowFileProblem(QStringLiteral("The results could not be exported.\n\n%1").arg(QString::fromStdString(error)));
  }
}

QString DesignFiles::ReportTitle() const {
  return path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).fileName();
}

void DesignFiles::ExportReport(const std::function<std::string()>& html) {
  WriteReport(FileQuestion::kExportReport, QStringLiteral("html"), html);
}

void DesignFiles::PrintReport(const std::function<QByteArray()>& pdf) {
  WriteReport(FileQuestion::kPrintReport, QStringLiteral("pdf"), [&pdf] { return pdf().toStdString(); });
}

void DesignFiles::WriteReport(FileQuestion question, const QString& suffix,
                              const std::function<std::string()>& content) {
  const QString base = path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).completeBaseName();
  const QString suggestion =
      QFileInfo(QFileInfo(path_).absolutePath(), base + QStringLiteral("-report.") + suffix).filePath();
  const QString path = ChooseFile(question, suggestion);
  if (path.isEmpty()) return;
  if (!path_.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(path_).absoluteFilePath()) {
    ShowFileProblem(QStringLiteral("The report would replace the design's own file; choose another name."));
    return;
  }
  std::string error;
  if (!WriteFileAtomically(FileSystemPath(path), content(), error)) {
    ShowFileProblem(QStringLiteral("The report could not be written.\n\n%1").arg(QString::fromStdString(error)));
  }
}

QString DesignFiles::ChooseFile(FileQuestion question, const QString& suggestion) {
  if (choose_file_) return choose_file_(question, suggestion);
  QFileDialog dialog(&window_);
  switch (question) {
    case FileQuestion::kOpen:
      dialog.setWindowTitle(QStringLiteral("Open Design"));
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(QFileDialog::ExistingFile);
      dialog.setNameFilter(kDesignFilter);
      dialog.setDirectory(suggestion);
      break;
    case FileQuestion::kSaveAs:
      dialog.setWindowTitle(QStringLiteral("Save Design As"));
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setNameFilter(kDesignFilter);
      dialog.setDefaultSuffix(QStringLiteral("orvendi"));
      dialog.selectFile(suggestion);
      break;
    case FileQuestion::kExportCsv:
      dialog.setWindowTitle(QStringLiteral("Export Results as CSV"));
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setNameFilter(QStringLiteral("CSV files (*.csv);;All files (*)"));
      dialog.setDefaultSuffix(QStringLiteral("csv"));
      dialog.selectFile(suggestion);
      break;
    case FileQuestion::kExportReport:
    case FileQuestion::kPrintReport: {
      const bool pdf = question == FileQuestion::kPrintReport;
      dialog.setWindowTitle(pdf ? QStringLiteral("Print Report to PDF") : QStringLiteral("Export Report"));
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setNameFilter(pdf ? QStringLiteral("PDF files (*.pdf);;All files (*)")
                               : QStringLiteral("HTML files (*.html *.htm);;All files (*)"));
      dialog.setDefaultSuffix(pdf ? QStringLiteral("pdf") : QStringLiteral("html"));
      dialog.selectFile(suggestion);
      break;
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return question == FileQuestion::kOpen ? ExistingPathOf(dialog.selectedFiles().constFirst())
                                         : dialog.selectedFiles().constFirst();
}

void DesignFiles::ShowFileProblem(const QString& message) {
  QMessageBox::warning(&window_, QStringLiteral("Orvendi"), message);
}

QStringList DesignFiles::RecentFiles() const { return QSettings().value(kRecentKey).toStringList(); }

namespace {

std::vector<std::string> ToStdList(const QStringList& list) {
  std::vector<std::string> out;
  for (const QString& item : list) out.push_back(FileSystemPath(item));
  return out;
}

QStringList ToQList(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& item : list) out << PathFromFileSystem(item);
  return out;
}

}  // namespace

void DesignFiles::AddRecent(const QString& path) {
  QSettings().setValue(kRecentKey, ToQList(AddRecentFile(ToStdList(RecentFiles()), FileSystemPath(path))));
  emit RecentFilesChanged();
}

void DesignFiles::ForgetRecent(const QString& path) {
  QSettings().setValue(kRecentKey, ToQList(RemoveRecentFile(ToStdList(RecentFiles()), FileSystemPath(path))));
  emit RecentFilesChanged();
}

void DesignFiles::WriteRecoveryNow() {
  recovery_timer_.stop();
  if (state_.design.design_modified == 0) return;
  QString error;
  // A recovery copy that cannot be written must not disturb the work; the next change tries again.
  recovery_->Write(state_.design, StoreView(state_.view), path_, error);
}

void DesignFiles::OfferRecovery() {
  std::vector<RecoveryStore::LeftDesign> left = recovery_->FindLeftDesigns();
  for (RecoveryStore::LeftDesign& design : left) {
    const QString name = design.saved_path.isEmpty() ? QStringLiteral("an untitled design")
                                                     : QFileInfo(design.saved_path).fileName();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvendi"),
                    QStringLiteral("Orvendi ended without saving %1.\n\nRestore the unsaved changes?").arg(name),
                    QMessageBox::NoButton, &window_);
    QPushButton* restore = box.addButton(QStringLiteral("&Restore"), QMessageBox::AcceptRole);
    restore->setObjectName(QStringLiteral("Restore"));
    QPushButton* discard = box.addButton(QMessageBox::Discard);
    discard->setObjectName(QStringLiteral("Discard"));
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == discard) {
      RecoveryStore::Forget(design);
      continue;
    }
    // Closed without an answer: the design waits for the next start.
    if (box.clickedButton() != restore) continue;
    DesignRecord restored = state_.design;
    StoredView view;
    std::string error;
    if (!ReadDesignFile(FileSystemPath(design.design_path), restored, view, error)) {
      ShowFileProblem(QStringLiteral("The unsaved design could not be restored.\n\n%1")
                          .arg(QString::fromStdString(error)));
      RecoveryStore::Forget(design);
      continue;
    }
    replace_(restored, &view, design.saved_path, true);
    RecoveryStore::Forget(design);
    // Its copy lives on as this program's own recovery file.
    WriteRecoveryNow();
    // One restored design at a time; the others wait for the next start.
    break;
  }
}

}  // namespace orvendi
