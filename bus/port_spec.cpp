#include "bus/port_spec.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "bus/direct_port.h"
#include "bus/port_backends.h"
#include "bus/ppdev_port.h"

namespace bus {
namespace {

constexpr std::size_t kFormIndent = 2;
constexpr std::size_t kParameterIndent = 6;
constexpr std::size_t kColumnGap = 2;
constexpr std::string_view kNoPortForm = "(no --port)";

void AppendColumns(std::string& out, std::size_t indent, std::string_view left,
                   std::size_t description_column, std::string_view description) {
  if (!out.empty()) {
    out += '\n';
  }
  out.append(indent, ' ');
  out += left;
  out.append(description_column - indent - left.size(), ' ');
  out += description;
}

std::string DefaultDescription() {
  std::string text = "ppdev:";
  text += kDefaultPpdevDevice;
#if PLOVER_HAVE_DIRECT_PORT
  text += " if it exists, else direct:0x378";
#endif
  return text;
}

PortSpecResult Refuse(std::string_view text, const std::string& what) {
  PortSpecResult result;
  result.error = "invalid port specification '" + std::string(text) + "': " + what +
                 "\naccepted forms of --port SPEC:\n" + PortSpecUsage();
  return result;
}

}  // namespace

std::string PortSpec::Text() const {
  switch (kind) {
    case PortKind::Ppdev:
      return "ppdev:" + device;
    case PortKind::Direct: {
      char text[16];
      std::snprintf(text, sizeof text, "direct:0x%x", static_cast<unsigned>(address));
      return text;
    }
    case PortKind::Sim: {
      std::string text = "sim";
      if (!board.file.empty()) {
        text += ':' + board.file;
      }
      if (!board.eeprom_present) {
        text += ",eeprom=absent";
      }
      if (!board.switch_present) {
        text += ",switch=absent";
      }
      if (board.write_cycle_microseconds != sim::kDefaultWriteCycleMicroseconds) {
        text += ",twr=" + std::to_string(board.write_cycle_microseconds);
      }
      if (board.sda_stuck_low) {
        text += ",sda=stuck-low";
      }
      return text;
    }
  }
  return "?";
}

PortSpecResult ParsePortSpec(std::string_view text) {
  if (text.empty()) {
    return {DefaultPortSpec(), {}};
  }
  const std::string_view name = text.substr(0, text.find_first_of(":,"));
  if (name.empty()) {
    return Refuse(text, "the port's kind is missing before '" + std::string(1, text[0]) + "'");
  }
  for (const PortBackend& backend : PortBackends()) {
    if (backend.name != name) {
      continue;
    }
    if (!backend.available) {
      return Refuse(text, std::string(backend.name) + " ports are not available on this machine");
    }
    PortSpec spec;
    spec.kind = backend.kind;
    std::string error;
    if (!backend.parse(text.substr(name.size()), spec, error)) {
      return Refuse(text, error);
    }
    return {std::move(spec), {}};
  }
  return Refuse(text, "there is no port kind '" + std::string(name) + "'");
}

PortSpec DefaultPortSpec() {
  PortSpec spec;
  spec.kind = PortKind::Ppdev;
  spec.device = kDefaultPpdevDevice;
#if PLOVER_HAVE_DIRECT_PORT
  struct stat status {};
  if (::stat(kDefaultPpdevDevice, &status) != 0) {
    spec.kind = PortKind::Direct;
    spec.address = kDefaultDirectAddress;
  }
#endif
  return spec;
}

std::string PortSpecUsage() {
  std::size_t column = kFormIndent + kNoPortForm.size();
  for (const PortBackend& backend : PortBackends()) {
    column = std::max(column, kFormIndent + backend.form.size());
    for (const PortParameter& parameter : backend.parameters) {
      column = std::max(column, kParameterIndent + parameter.text.size());
    }
  }
  column += kColumnGap;

  std::string usage;
  for (const PortBackend& backend : PortBackends()) {
    AppendColumns(usage, kFormIndent, backend.form, column, backend.description);
    for (const PortParameter& parameter : backend.parameters) {
      AppendColumns(usage, kParameterIndent, parameter.text, column, parameter.description);
    }
  }
  AppendColumns(usage, kFormIndent, kNoPortForm, column, DefaultDescription());
  return usage;
}

}  // namespace bus
