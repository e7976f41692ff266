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
  // A port written by hand with its options after commas and without quotes
  // ("Port=sim:x.bin, twr=5") is read as a list, its items stripped of the spaces around the
  // commas. Those commas separate the port's options, so they are put back without the spaces;
  // a port that then does not parse is reported as any other stored port that does not.
  const QVariant stored = settings.value(kPortKey);
  const QString port = stored.typeId() == QMetaType::QStringList
                           ? stored.toStringList().join(u',')
                           : stored.toString();
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
