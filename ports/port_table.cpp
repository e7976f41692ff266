// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_table.h"

#include <sys/stat.h>

#if PLOVER_WITH_CH341A
#include "ports/ch341a/ch341a_port.h"
#endif
#include "ports/direct/direct_port.h"
#if PLOVER_WITH_FTDI
#include "ports/ftdi/ftdi_port.h"
#endif
#include "ports/i2c_dev/i2c_dev_port.h"
#include "ports/ppdev/ppdev_port.h"
#include "ports/sim/sim_port.h"

namespace ports {
namespace {

std::string DefaultDescription() {
  std::string text = "ppdev:";
  text += ports::kDefaultPpdevDevice;
#if PLOVER_HAVE_DIRECT_PORT
  text += " if it exists, else direct:0x378";
#endif
  return text;
}

}  // namespace

const ports::PortTable& PortBackends() {
  static const ports::PortBackend* const kBackends[] = {
      &ports::PpdevBackend(),
      &ports::DirectBackend(),
      &ports::I2cBackend(),
#if PLOVER_WITH_CH341A
      &ports::Ch341aBackend(),
#endif
#if PLOVER_WITH_FTDI
      &ports::FtdiBackend(),
#endif
      &ports::SimBackend(),
  };
  static const std::string kDefault = DefaultDescription();
  static const ports::PortTable kTable{kBackends, {"(no --port)", kDefault}};
  return kTable;
}

ports::PortSpecResult ParsePortSpec(std::string_view text) {
  return ports::ParsePortSpecIn(PortBackends(), text);
}

std::string PortSpecUsage() { return ports::PortSpecUsageOf(PortBackends()); }

bus::PortSpec DefaultPortSpec() {
  std::string ignored;
  bus::PortSpec spec = SpecOf(PpdevBackend());
  ports::PpdevBackend().parse("", spec, ignored);
#if PLOVER_HAVE_DIRECT_PORT
  struct stat status {};
  if (::stat(ports::kDefaultPpdevDevice, &status) != 0) {
    spec = SpecOf(DirectBackend());
    ports::DirectBackend().parse("", spec, ignored);
  }
#endif
  return spec;
}

}  // namespace ports
