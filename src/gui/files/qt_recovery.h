#pragma once

#include <QLockFile>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "core/design/design_file.h"
#include "core/app/file_names.h"
#include "gui/files/file_system_path.h"

namespace orvendi {

// Keeps this program's unsaved design in the recovery folder so that it outlives a crash, and
// finds the designs that programs no longer running left there. Each program writes files named
// by its own process id and holds their lock while it runs, so two never share a file.
class RecoveryStore {
 public:
  // The folder "recovery" in the user's data folder.
  static QString DefaultFolder();

  explicit RecoveryStore(QString folder);
  ~RecoveryStore();
  RecoveryStore(const RecoveryStore&) = delete;
  RecoveryStore& operator=(const RecoveryStore&) = delete;

  const QString& Folder() const { return folder_; }
  QString DesignPath() const;

  // Writes the design with the path it was last saved to (empty while untitled). The first
  // write takes this program's lock; without it nothing is written.
  bool Write(const DesignRecord& design, const StoredView& view, const QString& saved_path, QString& error);
  // Removes this program's design, keeping the lock while the program runs.
  void Remove();

  // A design that a program no longer running left behind. Its lock is held until it is
  // forgotten or the value goes, so no other program offers it meanwhile.
  struct LeftDesign {
    QString design_path;
    QString source_path;  // the file holding saved_path
    QString saved_path;   // empty when it was never saved
    std::shared_ptr<QLockFile> lock;
  };
  std::vector<LeftDesign> FindLeftDesigns() const;
  // Deletes a left design's files, the temporary files of a write of them cut short, and its lock.
  static void Forget(LeftDesign& left);

 private:
  QString PathOf(const std::string& name) const;

  QString folder_;
  RecoveryNames names_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace orvendi
