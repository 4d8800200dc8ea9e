#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace orvendi {

class RecoveryStore;
struct AppState;
struct DesignRecord;
struct StoredView;

// The design's file for the main window: New, Open, Save, Save As, Export, the recent files
// and the recovery copy, with the window's title following the file and its modified state.
class DesignFiles : public QObject {
  Q_OBJECT

 public:
  // Where Open, Save As and Export ask for a path: an empty answer cancels. Tests answer
  // themselves.
  enum class FileQuestion { kOpen, kSaveAs, kExportCsv, kExportReport, kPrintReport };
  using FileChooser = std::function<QString(FileQuestion question, const QString& suggestion)>;
  // Puts another design in the window (New, Open, restore); the window calls Adopt back.
  using DesignReplacer =
      std::function<void(const DesignRecord& design, const StoredView* view, const QString& path, bool modified)>;

  // A pause after the last change before the design goes to the recovery file.
  static constexpr int kRecoveryDelayMs = 5000;

  // `recovery_folder`: where the unsaved design is kept; empty for the user's data folder.
  DesignFiles(AppState& state, QWidget& window, const QString& recovery_folder, DesignReplacer replace);
  ~DesignFiles() override;

  void SetFileChooser(FileChooser chooser) { choose_file_ = std::move(chooser); }
  // The design's file, empty while untitled.
  const QString& FilePath() const { return path_; }
  // Opens a design file, replacing the design without asking; a file that cannot be read is
  // reported and changes nothing. Returns whether it was opened.
  bool OpenFile(const QString& path);
  // Writes the design to `path` and makes it the design's file; a failure is reported.
  bool SaveFile(const QString& path);
  // The recent files, most recent first, as kept in the settings.
  QStringList RecentFiles() const;
  RecoveryStore& Recovery() { return *recovery_; }
  const QTimer& RecoveryTimer() const { return recovery_timer_; }

  // Offers each design that a program no longer running left unsaved: Restore opens it as a
  // modified design, Discard deletes it.
  void OfferRecovery();
  // Writes the recovery file at once instead of after the pause.
  void WriteRecoveryNow();

  void NewDesign();
  void OpenChosenFile();
  void OpenRecentFile(int index);
  bool Save();
  bool SaveAs();
  void ExportCsv();
  // Asks for a file and writes what `content` gives to it: the HTML report, or the report as PDF.
  // The design's own file is refused, so that a report cannot take the place of the design.
  void ExportReport(const std::function<std::string()>& html);
  void PrintReport(const std::function<QByteArray()>& pdf);
  // The name a report shows: the design file's name, or "Untitled".
  QString ReportTitle() const;
  // Asks whether to save a modified design; false when the user cancels.
  bool ConfirmClose();

  // The design changed: marks it modified and starts the pause before the recovery file.
  void DesignChanged();
  // Another design took the window's place with `path` as its file.
  void Adopt(const QString& path, bool modified);
  // Saved or discarded on closing: nothing is left to recover.
  void DropRecovery();
  void UpdateTitle();

 signals:
  void RecentFilesChanged();

 private:
  void SetModified(bool modified);
  void AddRecent(const QString& path);
  void ForgetRecent(const QString& path);
  QString ChooseFile(FileQuestion question, const QString& suggestion);
  void ShowFileProblem(const QString& message);
  // Asks for the report's file (suffix `suffix`) and writes `content()` to it; a failure is reported.
  void WriteReport(FileQuestion question, const QString& suffix, const std::function<std::string()>& content);

  AppState& state_;
  QWidget& window_;
  DesignReplacer replace_;
  QString path_;
  FileChooser choose_file_;
  std::unique_ptr<RecoveryStore> recovery_;
  QTimer recovery_timer_;
};

}  // namespace orvendi
