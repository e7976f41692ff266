// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/start_options.h"

#include "ports/port_table.h"

namespace plover {

StartDecision DecideStart(const CommandLine& line, const StoredChoices& stored) {
  StartDecision decision;
  StartOptions& options = decision.options;
  options.bus = line.bus;
  options.file = line.file;
  options.verify_after_download = stored.verify_after_download;
  options.port_origin = line.port_given ? PortOrigin::CommandLine : PortOrigin::Default;
  if (line.port_given || !stored.port) return decision;

  const ports::PortSpecResult port = ports::ParsePortSpec(stored.port->toStdString());
  if (!port.spec) {
    // The first line says what is wrong; the accepted forms after it are
    // --help's business.
    const QString why = QString::fromStdString(port.error).section(u'\n', 0, 0);
    decision.warning = QStringLiteral(
                           "plover: the port chosen with Tools > Port..., '%1', is not valid "
                           "here (%2); using the default port\n")
                           .arg(*stored.port, why);
    return decision;
  }
  CommandLine with_stored_port = line;
  with_stored_port.bus.port = *port.spec;
  if (const QString problem = TraceProblemOf(with_stored_port); !problem.isEmpty()) {
    decision.refusal = QStringLiteral(
                           "plover: %1 (the port chosen with Tools "
                           "> Port... is %2; give --port to "
                           "use another for this run)\n")
                           .arg(problem, *stored.port);
    return decision;
  }
  options.bus.port = *port.spec;
  options.port_origin = PortOrigin::Chosen;
  return decision;
}

}  // namespace plover
