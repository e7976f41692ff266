// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/stored_choices.h"

#include <QSettings>

#include "gui/resource_ids.h"
#include "gui/resources.h"

namespace plover {

namespace {

const QString kPortKey = QStringLiteral("Tools/Port");
const QString kVerifyKey = QStringLiteral("Tools/VerifyAfterDownload");

bool Store(const QString& key, const QVariant& value) {
  QSettings settings(QString::fromUtf8(kRegistryKey), StringResources().Load(kAppTitleString));
  settings.setValue(key, value);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace

StoredChoices LoadStoredChoices() {
  const QSettings settings(QString::fromUtf8(kRegistryKey),
                           StringResources().Load(kAppTitleString));
  StoredChoices choices;
  const QString port = settings.value(kPortKey).toString();
  if (!port.isEmpty()) choices.port = port;
  choices.verify_after_download = settings.value(kVerifyKey, false).toBool();
  return choices;
}

bool StorePortChoice(const QString& spec) { return Store(kPortKey, spec); }

bool StoreVerifyAfterDownload(bool on) { return Store(kVerifyKey, on); }

QString StoredChoicesFile() {
  return QSettings(QString::fromUtf8(kRegistryKey), StringResources().Load(kAppTitleString))
      .fileName();
}

}  // namespace plover
