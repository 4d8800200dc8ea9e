#include "gui/files/qt_recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/design/atomic_file.h"

namespace orvendi {

namespace {

// Only a lock whose process has gone is stale, however long a program runs.
std::unique_ptr<QLockFile> MakeLock(const QString& path) {
  auto lock = std::make_unique<QLockFile>(path);
  lock->setStaleLockTime(0);
  return lock;
}

QString ReadSavedPath(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return PathFromFileSystem(file.read(64 * 1024).trimmed().toStdString());
}

}  // namespace

QString RecoveryStore::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

RecoveryStore::RecoveryStore(QString folder)
    : folder_(std::move(folder)), names_(RecoveryNamesFor(QCoreApplication::applicationPid())) {}

RecoveryStore::~RecoveryStore() { Remove(); }

QString RecoveryStore::PathOf(const std::string& name) const {
  return folder_ + QLatin1Char('/') + QString::fromStdString(name);
}

QString RecoveryStore::DesignPath() const { return PathOf(names_.design); }

bool RecoveryStore::Write(const DesignRecord& design, const StoredView& view, const QString& saved_path,
                          QString& error) {
  if (!lock_) {
    if (!QDir().mkpath(folder_)) {
      error = QStringLiteral("cannot create the folder %1").arg(folder_);
      return false;
    }
    auto lock = MakeLock(PathOf(names_.lock));
    if (!lock->tryLock(0)) {
      error = QStringLiteral("the recovery file %1 is locked").arg(DesignPath());
      return false;
    }
    lock_ = std::move(lock);
  }
  std::string message;
  if (!WriteDesignFile(FileSystemPath(DesignPath()), design, view, message)) {
    error = QString::fromStdString(message);
    return false;
  }
  const QString source = PathOf(names_.source);
  if (saved_path.isEmpty()) {
    QFile::remove(source);
  } else if (!WriteFileAtomically(FileSystemPath(source), FileSystemPath(saved_path), message)) {
    error = QString::fromStdString(message);
    return false;
  }
  return true;
}

void RecoveryStore::Remove() {
  if (!lock_) return;
  QFile::remove(DesignPath());
  QFile::remove(PathOf(names_.source));
}

std::vector<RecoveryStore::LeftDesign> RecoveryStore::FindLeftDesigns() const {
  std::vector<LeftDesign> left;
  const QDir folder(folder_);
  const QStringList pattern{QStringLiteral("recovery-*") +
                            QString::fromUtf8(kDesignExtension.data(), static_cast<qsizetype>(kDesignExtension.size()))};
  for (const QString& name : folder.entryList(pattern, QDir::Files, QDir::Name)) {
    const std::optional<std::int64_t> pid = RecoveryPid(name.toStdString());
    if (!pid || *pid == QCoreApplication::applicationPid()) continue;
    const RecoveryNames names = RecoveryNamesFor(*pid);
    std::shared_ptr<QLockFile> lock = MakeLock(PathOf(names.lock));
    // A lock that can be taken belongs to a program that is no longer running.
    if (!lock->tryLock(0)) continue;
    const QString source = PathOf(names.source);
    left.push_back(LeftDesign{PathOf(names.design), source, ReadSavedPath(source), std::move(lock)});
  }
  return left;
}

void RecoveryStore::Forget(LeftDesign& left) {
  QFile::remove(left.design_path);
  QFile::remove(left.source_path);
  // A program killed while writing them leaves the writer's hidden temporary files behind; with
  // the program gone nobody else writes them.
  for (const QString& path : {left.design_path, left.source_path}) {
    const QFileInfo file(path);
    QDir folder = file.dir();
    const std::string target = file.fileName().toStdString();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
      if (IsTemporaryFileOf(name.toStdString(), target)) folder.remove(name);
    }
  }
  if (left.lock) left.lock->unlock();
  left.lock.reset();
}

}  // namespace orvendi
