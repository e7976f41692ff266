#include "bus/port_backends.h"

#include <utility>

#include "bus/direct_port.h"
#include "bus/ppdev_port.h"
#include "bus/sim_port.h"

namespace bus {

std::span<const PortBackend> PortBackends() {
  static const PortBackend kBackends[] = {
      PpdevBackend(),
      DirectBackend(),
      SimBackend(),
  };
  return kBackends;
}

OpenPortResult OpenPort(const PortSpec& spec) {
  OpenPortResult result;
  std::string reason;
  for (const PortBackend& backend : PortBackends()) {
    if (backend.kind != spec.kind) {
      continue;
    }
    if (!backend.available) {
      reason = std::string(backend.name) + " ports are not available on this machine";
      break;
    }
    result.port = backend.open(spec, reason);
    if (result.port) {
      return result;
    }
    break;
  }
  if (reason.empty()) {
    reason = "no backend opens this kind of port";
  }
  result.error = "cannot open port " + spec.Text() + ": " + reason;
  return result;
}

}  // namespace bus
