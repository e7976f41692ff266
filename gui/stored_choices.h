// SPDX-License-Identifier: GPL-3.0-or-later
// The choices plover keeps from one run to the next, in the user's
// configuration file beside the recent-file list (the settings of the
// organisation kRegistryKey and the application "plover"): the port chosen with
// Tools > Port... and whether Tools > Verify after Download is on.
#pragma once

#include <QString>
#include <optional>

namespace plover {

struct StoredChoices {
  std::optional<QString> port;  // the --port specification chosen last; none: never chosen
  bool verify_after_download = false;
};

[[nodiscard]] StoredChoices LoadStoredChoices();
// Each is false when the configuration file could not be written.
[[nodiscard]] bool StorePortChoice(const QString& spec);
[[nodiscard]] bool StoreVerifyAfterDownload(bool on);
// The configuration file the choices are kept in.
[[nodiscard]] QString StoredChoicesFile();

}  // namespace plover
