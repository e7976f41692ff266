// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/port_spec.h"

#include <sys/stat.h>

#include <algorithm>

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

PortSpecResult Refuse(PortTable table, std::string_view text, const std::string& what) {
  PortSpecResult result;
  result.error = "invalid port specification '" + std::string(text) + "': " + what +
                 "\naccepted forms of --port SPEC:\n" + PortSpecUsageOf(table);
  return result;
}

}  // namespace

bool PortSpec::DrivesLines() const {
  return backend != nullptr && backend->access == PortAccess::Lines;
}

PortSpecResult ParsePortSpecIn(PortTable table, std::string_view text) {
  if (text.empty()) {
    return Refuse(table, text, "it is empty");
  }
  const std::string_view name = text.substr(0, text.find_first_of(":,"));
  if (name.empty()) {
    return Refuse(table, text,
                  "the port's kind is missing before '" + std::string(1, text[0]) + "'");
  }
  for (const PortBackend* backend : table) {
    if (backend->name != name) {
      continue;
    }
    if (!backend->available) {
      return Refuse(table, text,
                    std::string(backend->name) + " ports are not available on this machine");
    }
    PortSpec spec;
    spec.backend = backend;
    std::string error;
    if (!backend->parse(text.substr(name.size()), spec, error)) {
      return Refuse(table, text, error);
    }
    return {std::move(spec), {}};
  }
  return Refuse(table, text, "there is no port kind '" + std::string(name) + "'");
}

PortSpec DefaultPortSpec() {
  std::string ignored;
  PortSpec spec;
  spec.backend = &PpdevBackend();
  PpdevBackend().parse("", spec, ignored);
#if PLOVER_HAVE_DIRECT_PORT
  struct stat status {};
  if (::stat(kDefaultPpdevDevice, &status) != 0) {
    spec = PortSpec{};
    spec.backend = &DirectBackend();
    DirectBackend().parse("", spec, ignored);
  }
#endif
  return spec;
}

std::string PortSpecUsageOf(PortTable table) {
  std::size_t column = kFormIndent + kNoPortForm.size();
  for (const PortBackend* backend : table) {
    column = std::max(column, kFormIndent + backend->form.size());
    for (const PortParameter& parameter : backend->parameters) {
      column = std::max(column, kParameterIndent + parameter.text.size());
    }
  }
  column += kColumnGap;

  std::string usage;
  for (const PortBackend* backend : table) {
    AppendColumns(usage, kFormIndent, backend->form, column, backend->description);
    for (const PortParameter& parameter : backend->parameters) {
      AppendColumns(usage, kParameterIndent, parameter.text, column, parameter.description);
    }
  }
  AppendColumns(usage, kFormIndent, kNoPortForm, column, DefaultDescription());
  return usage;
}

}  // namespace bus
