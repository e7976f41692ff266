// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_table.h"

#include "platform/files.h"

#if PLOVER_WITH_CH341A
#include "ports/ch341a/ch341a_port.h"
#endif
#include "ports/direct/direct_port.h"
#if PLOVER_WITH_FTDI
#include "ports/ftdi/ftdi_port.h"
#endif
#if PLOVER_WITH_I2C_DEV
#include "ports/i2c_dev/i2c_dev_port.h"
#endif
#if PLOVER_WITH_PPDEV
#include "ports/ppdev/ppdev_port.h"
#endif
#include "ports/sim/sim_port.h"

namespace ports {
namespace {

// The port used without --port: the first parallel port through ppdev where the system has
// ppdev, else (or where that port is not there) its registers at 0x378.
std::string DefaultDescription() {
#if PLOVER_WITH_PPDEV
  std::string text = "ppdev:";
  text += ports::kDefaultPpdevDevice;
  if (platform::HasPortInstructions()) text += " if it exists, else direct:0x378";
  return text;
#else
  return "direct:0x378";
#endif
}

}  // namespace

const ports::PortTable& PortBackends() {
  static const ports::PortBackend* const kBackends[] = {
#if PLOVER_WITH_PPDEV
      &ports::PpdevBackend(),
#endif
      &ports::DirectBackend(),
#if PLOVER_WITH_I2C_DEV
      &ports::I2cBackend(),
#endif
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
#if PLOVER_WITH_PPDEV
  bus::PortSpec spec = SpecOf(PpdevBackend());
  ports::PpdevBackend().parse("", spec, ignored);
  if (!platform::HasPortInstructions() || platform::StatusOf(ports::kDefaultPpdevDevice)) {
    return spec;
  }
#endif
  bus::PortSpec direct = SpecOf(DirectBackend());
  ports::DirectBackend().parse("", direct, ignored);
  return direct;
}

}  // namespace ports
