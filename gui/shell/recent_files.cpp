// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/recent_files.h"

#include <QSettings>

namespace shell {

namespace {

const QString kSection = QStringLiteral("Recent File List");

QString EntryKey(int index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

void RecentFileList::Add(const QString& path) {
  if (path.isEmpty() || capacity_ <= 0) return;
  entries_.removeAll(path);
  entries_.prepend(path);
  while (entries_.size() > capacity_) entries_.removeLast();
}

void RecentFileList::Load(const QString& organisation, const QString& application) {
  entries_.clear();
  QSettings settings(organisation, application);
  settings.beginGroup(kSection);
  for (int i = 0; i < capacity_; ++i) {
    const QString path = settings.value(EntryKey(i)).toString();
    if (!path.isEmpty() && !entries_.contains(path)) entries_.append(path);
  }
  settings.endGroup();
}

void RecentFileList::Save(const QString& organisation, const QString& application) const {
  QSettings settings(organisation, application);
  settings.beginGroup(kSection);
  for (int i = 0; i < capacity_; ++i) {
    if (i < entries_.size()) {
      settings.setValue(EntryKey(i), entries_[i]);
    } else {
      settings.remove(EntryKey(i));
    }
  }
  settings.endGroup();
  settings.sync();
}

}  // namespace shell
