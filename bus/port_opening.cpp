// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/port_opening.h"

namespace bus {

OpenedPort OpenPort(const PortSpec& spec) {
  OpenedPort opened;
  if (spec.open == nullptr) {
    opened.error = "cannot open port: no port was named";
    return opened;
  }
  opened = spec.open(spec);
  if (!opened.ok()) {
    if (opened.error.empty()) opened.error = "the port could not be opened";
    opened.error = "cannot open port " + spec.Text() + ": " + opened.error;
  }
  return opened;
}

}  // namespace bus
