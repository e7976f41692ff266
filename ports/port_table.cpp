// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_table.h"

#include "bus/direct_port.h"
#include "bus/i2c_dev_port.h"
#include "bus/port_backends.h"
#include "bus/ppdev_port.h"
#include "sim/sim_port.h"

namespace ports {

bus::PortTable PortBackends() {
  static const bus::PortBackend* const kBackends[] = {
      &bus::PpdevBackend(),
      &bus::DirectBackend(),
      &bus::I2cBackend(),
      &sim::SimBackend(),
  };
  return kBackends;
}

bus::PortSpecResult ParsePortSpec(std::string_view text) {
  return bus::ParsePortSpecIn(PortBackends(), text);
}

std::string PortSpecUsage() { return bus::PortSpecUsageOf(PortBackends()); }

}  // namespace ports
