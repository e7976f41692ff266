#include "bus/sim_port.h"

#include <limits>
#include <utility>

namespace bus {
namespace {

bool ParseMicroseconds(std::string_view text, std::uint32_t& value, std::string& error) {
  std::uint64_t number = 0;
  bool valid = !text.empty();
  for (const char c : text) {
    if (c < '0' || c > '9') {
      valid = false;
      break;
    }
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
    if (number > std::numeric_limits<std::uint32_t>::max()) {
      error = "twr=" + std::string(text) + " is too large (at most 4294967295 microseconds)";
      return false;
    }
  }
  if (!valid) {
    error = "twr=" + std::string(text) + " is not a number of microseconds";
    return false;
  }
  value = static_cast<std::uint32_t>(number);
  return true;
}

bool ParseOption(std::string_view option, sim::BoardOptions& board, std::string& error) {
  if (option.empty()) {
    error = "an option of sim is empty (two commas, or a comma at the end)";
    return false;
  }
  if (option == "eeprom=absent") {
    board.eeprom_present = false;
  } else if (option == "switch=absent") {
    board.switch_present = false;
  } else if (option == "sda=stuck-low") {
    board.sda_stuck_low = true;
  } else if (option.starts_with("twr=")) {
    return ParseMicroseconds(option.substr(4), board.write_cycle_microseconds, error);
  } else {
    error = "sim has no option '" + std::string(option) + "'";
    return false;
  }
  return true;
}

// The argument is [:FILE][,OPTION...]; FILE ends at the first comma.
bool ParseSim(std::string_view argument, PortSpec& spec, std::string& error) {
  spec.board = sim::BoardOptions{};
  if (!argument.empty() && argument.front() == ':') {
    argument.remove_prefix(1);
    const std::size_t comma = argument.find(',');
    const std::string_view file = argument.substr(0, comma);
    if (file.empty()) {
      error = "the board file is missing after 'sim:'";
      return false;
    }
    spec.board.file = std::string(file);
    argument = comma == std::string_view::npos ? std::string_view() : argument.substr(comma);
  }
  while (!argument.empty()) {
    argument.remove_prefix(1);  // the comma
    const std::size_t comma = argument.find(',');
    if (!ParseOption(argument.substr(0, comma), spec.board, error)) {
      return false;
    }
    argument = comma == std::string_view::npos ? std::string_view() : argument.substr(comma);
  }
  return true;
}

std::unique_ptr<Port> OpenSim(const PortSpec& spec, std::string& error) {
  std::unique_ptr<Port> port = SimPort::Open(spec.board, spec.Text(), error);
  if (!port) {
    error += "; name another board file with --port sim:FILE, or use --port sim for a board in "
             "memory";
  }
  return port;
}

constexpr PortParameter kParameters[] = {
    {"FILE", "the EEPROM's 128 bytes, created erased if missing"},
    {"eeprom=absent", "no EEPROM on the bus"},
    {"switch=absent", "no switch chip on the bus"},
    {"twr=MICROSECONDS", "the EEPROM's write cycle, default 5000"},
    {"sda=stuck-low", "SDA shorted to ground"},
};

}  // namespace

std::unique_ptr<SimPort> SimPort::Open(const sim::BoardOptions& options, std::string name,
                                       std::string& error) {
  std::unique_ptr<sim::VirtualBoard> board = sim::VirtualBoard::Create(options, error);
  if (!board) {
    if (error.empty()) {
      error = "the virtual board could not be made";
    }
    return nullptr;
  }
  return std::make_unique<SimPort>(std::move(board), std::move(name));
}

SimPort::SimPort(std::unique_ptr<sim::VirtualBoard> board, std::string name)
    : board_(std::move(board)), name_(std::move(name)) {}

PortBackend SimBackend() {
  return {"sim",       "sim[:FILE][,OPTION...]",
          "the virtual board (in memory without FILE)",
          true,        PortKind::Sim,
          ParseSim,    kParameters,
          OpenSim};
}

}  // namespace bus
