// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_table.h"

#include <sys/stat.h>

#if PLOVER_WITH_CH341A
#include "ports/ch341a_port.h"
#endif
#include "ports/direct_port.h"
#if PLOVER_WITH_FTDI
#include "ports/ftdi_port.h"
#endif
#include "ports/i2c_dev_port.h"
#include "ports/ppdev_port.h"
#include "ports/sim_port.h"

namespace ports {
namespace {

std::string DefaultDescription() {
  std::string text = "ppdev:";
  text += bus::kDefaultPpdevDevice;
#if PLOVER_HAVE_DIRECT_PORT
  text += " if it exists, else direct:0x378";
#endif
  return text;
}

}  // namespace

const bus::PortTable& PortBackends() {
  static const bus::PortBackend* const kBackends[] = {
      &bus::PpdevBackend(),
      &bus::DirectBackend(),
      &bus::I2cBackend(),
#if PLOVER_WITH_CH341A
      &bus::Ch341aBackend(),
#endif
#if PLOVER_WITH_FTDI
      &bus::FtdiBackend(),
#endif
      &sim::SimBackend(),
  };
  static const std::string kDefault = DefaultDescription();
  static const bus::PortTable kTable{kBackends, {"(no --port)", kDefault}};
  return kTable;
}

bus::PortSpecResult ParsePortSpec(std::string_view text) {
  return bus::ParsePortSpecIn(PortBackends(), text);
}

std::string PortSpecUsage() { return bus::PortSpecUsageOf(PortBackends()); }

bus::PortSpec DefaultPortSpec() {
  std::string ignored;
  bus::PortSpec spec;
  spec.backend = &bus::PpdevBackend();
  bus::PpdevBackend().parse("", spec, ignored);
#if PLOVER_HAVE_DIRECT_PORT
  struct stat status {};
  if (::stat(bus::kDefaultPpdevDevice, &status) != 0) {
    spec = bus::PortSpec{};
    spec.backend = &bus::DirectBackend();
    bus::DirectBackend().parse("", spec, ignored);
  }
#endif
  return spec;
}

}  // namespace ports
