// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_spec.h"

#include <algorithm>

#include "bus/timing_floor.h"

namespace ports {
namespace {

constexpr std::size_t kFormIndent = 2;
constexpr std::size_t kParameterIndent = 6;
constexpr std::size_t kColumnGap = 2;

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

PortSpecResult Refuse(const PortTable& table, std::string_view text, const std::string& what) {
  PortSpecResult result;
  result.error = "invalid port specification '" + std::string(text) + "': " + what +
                 "\naccepted forms of --port SPEC:\n" + PortSpecUsageOf(table);
  return result;
}

}  // namespace

PortSpec SpecOf(const PortBackend& backend) {
  PortSpec spec;
  spec.kind = backend.name;
  spec.access = backend.access;
  spec.open = backend.open;
  return spec;
}

PortSpecResult ParsePortSpecIn(const PortTable& table, std::string_view text) {
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
    PortSpec spec = SpecOf(*backend);
    std::string error;
    if (!backend->parse(text.substr(name.size()), spec, error)) {
      return Refuse(table, text, error);
    }
    return {std::move(spec), {}};
  }
  return Refuse(table, text, "there is no port kind '" + std::string(name) + "'");
}

std::string PortSpecUsageOf(const PortTable& table) {
  std::size_t column = kFormIndent + table.no_port.text.size();
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
  AppendColumns(usage, kFormIndent, table.no_port.text, column, table.no_port.description);
  return usage;
}

PortArgument SplitPortArgument(std::string_view argument) {
  PortArgument split;
  if (!argument.empty() && argument.front() == ':') {
    argument.remove_prefix(1);
    const std::size_t comma = argument.find(',');
    split.main = argument.substr(0, comma);
    argument = comma == std::string_view::npos ? std::string_view() : argument.substr(comma);
  }
  while (!argument.empty()) {
    argument.remove_prefix(1);  // the comma
    const std::size_t comma = argument.find(',');
    split.options.push_back(argument.substr(0, comma));
    if (comma == std::string_view::npos) break;
    argument = argument.substr(comma);
  }
  return split;
}

DecimalOption ParseDecimalOption(std::string_view digits, std::uint64_t highest,
                                 std::uint64_t& value) {
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), is_digit)) {
    return DecimalOption::NotDigits;
  }
  std::uint64_t number = 0;
  for (const char c : digits) {
    // Checked at each digit, so a long string of digits cannot wrap around.
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (number > highest / 10 || number * 10 + digit > highest) return DecimalOption::OutOfRange;
    number = number * 10 + digit;
  }
  value = number;
  return DecimalOption::Taken;
}

bool TakeSpeedOption(std::string_view option, PortSpec& spec, std::string& error) {
  if (!option.starts_with("khz=")) return false;
  std::uint64_t value = 0;
  if (ParseDecimalOption(option.substr(4), kFastestBusKhz, value) != DecimalOption::Taken) {
    error = std::string(option) + " is not a bus speed from 0 to 400 kHz";
    return true;
  }
  spec.bus_khz = static_cast<unsigned>(value);
  return true;
}

bool TakeOnlySpeedOptions(const std::vector<std::string_view>& options, PortSpec& spec,
                          std::string_view refusal, std::string& error) {
  for (const std::string_view option : options) {
    if (!TakeSpeedOption(option, spec, error)) error = refusal;
    if (!error.empty()) return false;
  }
  return true;
}

bool ParseMainAndSpeed(std::string_view argument, std::string_view name, std::string_view form,
                       std::string_view what, PortSpec& spec,
                       std::optional<std::string_view>& main, std::string& error) {
  const PortArgument split = SplitPortArgument(argument);
  const std::string refusal =
      std::string(name) + " takes one option, khz=N: " + std::string(form);
  if (!TakeOnlySpeedOptions(split.options, spec, refusal, error)) return false;
  if (split.main && split.main->empty()) {
    error = "the " + std::string(what) + " is missing after '" + std::string(name) + ":'";
    return false;
  }
  main = split.main;
  return true;
}

std::string SpeedText(const PortSpec& spec) {
  return spec.bus_khz == kDefaultBusKhz ? std::string() : ",khz=" + std::to_string(spec.bus_khz);
}

}  // namespace ports
