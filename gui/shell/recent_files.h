// SPDX-License-Identifier: GPL-3.0-or-later
// The program's settings and the recent-file list kept in them.
//
// Settings live under an organisation and the application's title. The recent-file list holds up
// to a fixed number of full paths, most recent first, as "Recent File List/File1" to "FileN".
#pragma once

#include <QString>
#include <QStringList>

namespace shell {

class RecentFileList {
 public:
  explicit RecentFileList(int capacity = 4) : capacity_(capacity) {}

  [[nodiscard]] int Capacity() const { return capacity_; }
  [[nodiscard]] const QStringList& Entries() const { return entries_; }

  // Puts `path` first; an entry already there moves up, the oldest drops out when full.
  void Add(const QString& path);

  void Load(const QString& organisation, const QString& application);
  void Save(const QString& organisation, const QString& application) const;

 private:
  int capacity_;
  QStringList entries_;
};

}  // namespace shell
