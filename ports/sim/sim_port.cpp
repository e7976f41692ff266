// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/sim/sim_port.h"

#include <cerrno>
#include <limits>
#include <utility>

#include "bus/eeprom_protocol.h"
#include "platform/error_numbers.h"
#include "platform/files.h"

namespace ports {
namespace {

bool ParseMicroseconds(std::string_view text, std::uint32_t& value, std::string& error) {
  std::uint64_t number = 0;
  switch (ports::ParseDecimalOption(text, std::numeric_limits<std::uint32_t>::max(), number)) {
    case ports::DecimalOption::Taken:
      value = static_cast<std::uint32_t>(number);
      return true;
    case ports::DecimalOption::OutOfRange:
      error = "twr=" + std::string(text) + " is too large (at most 4294967295 microseconds)";
      return false;
    case ports::DecimalOption::NotDigits:
      break;
  }
  error = "twr=" + std::string(text) + " is not a number of microseconds";
  return false;
}

// timing=100 or timing=400, the digits read as khz= reads them.
bool ParseTimingCheck(std::string_view option, unsigned& khz, std::string& error) {
  std::uint64_t value = 0;
  if (ports::ParseDecimalOption(option.substr(7), 400, value) == ports::DecimalOption::Taken &&
      (value == 100 || value == 400)) {
    khz = static_cast<unsigned>(value);
    return true;
  }
  error = std::string(option) + ": the chips check standard mode (timing=100) or fast mode "
          "(timing=400)";
  return false;
}

// page=4, page=8 or page=16: the EEPROM's page size in bytes.
bool ParsePageSize(std::string_view option, std::uint8_t& page_size, std::string& error) {
  std::uint64_t value = 0;
  if (ports::ParseDecimalOption(option.substr(5), 16, value) == ports::DecimalOption::Taken &&
      (value == 4 || value == 8 || value == 16)) {
    page_size = static_cast<std::uint8_t>(value);
    return true;
  }
  error = std::string(option) + ": the EEPROM's page holds 4, 8 or 16 bytes (page=4|8|16)";
  return false;
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
  } else if (option == "clock=wall") {
    board.wall_clock = true;
  } else if (option.starts_with("present=")) {
    board.present_path = std::string(option.substr(8));
    if (board.present_path.empty()) {
      error = "present= needs the path of a file: the board is in place while it exists";
      return false;
    }
  } else if (option.starts_with("timing=")) {
    return ParseTimingCheck(option, board.timing_khz, error);
  } else if (option.starts_with("page=")) {
    return ParsePageSize(option, board.page_size, error);
  } else if (option.starts_with("twr=")) {
    return ParseMicroseconds(option.substr(4), board.write_cycle_microseconds, error);
  } else {
    error = "sim has no option '" + std::string(option) + "'";
    return false;
  }
  return true;
}

// The canonical form: "sim[:FILE]" and the options that differ from a good board, in one order.
std::string TextOf(const sim::BoardOptions& board) {
  std::string text = "sim";
  if (!board.file.empty()) text += ':' + board.file;
  if (!board.eeprom_present) text += ",eeprom=absent";
  if (!board.switch_present) text += ",switch=absent";
  if (board.write_cycle_microseconds != sim::kDefaultWriteCycleMicroseconds) {
    text += ",twr=" + std::to_string(board.write_cycle_microseconds);
  }
  if (board.page_size != sim::kDefaultPageSize) text += ",page=" + std::to_string(board.page_size);
  if (board.sda_stuck_low) text += ",sda=stuck-low";
  if (board.timing_khz != 0) text += ",timing=" + std::to_string(board.timing_khz);
  if (!board.present_path.empty()) text += ",present=" + board.present_path;
  if (board.wall_clock) text += ",clock=wall";
  return text;
}

// The argument is [:FILE][,OPTION...]; FILE ends at the first comma.
bool ParseSim(std::string_view argument, bus::PortSpec& spec, std::string& error) {
  sim::BoardOptions board;
  const ports::PortArgument split = ports::SplitPortArgument(argument);
  if (split.main) {
    if (split.main->empty()) {
      error = "the board file is missing after 'sim:'";
      return false;
    }
    board.file = std::string(*split.main);
  }
  for (const std::string_view option : split.options) {
    if (ports::TakeSpeedOption(option, spec, error)) {
      if (!error.empty()) return false;
      continue;
    }
    if (!ParseOption(option, board, error)) return false;
  }
  spec.text = TextOf(board) + ports::SpeedText(spec);
  spec.kept_files.clear();
  if (!board.file.empty()) spec.kept_files.push_back(board.file);
  spec.settings = board;
  return true;
}

bus::OpenedPort OpenSim(const bus::PortSpec& spec) {
  bus::OpenedPort opened;
  opened.lines = SimPort::Open(spec.SettingsAs<sim::BoardOptions>(), spec.Text(), opened.error);
  if (!opened.lines) {
    opened.error += ". Name another board file with --port sim:FILE, or use --port sim for a "
                    "board in memory.";
  }
  return opened;
}

// What to do when the board file did not take a write, by the system's error number.
std::string StoreAdvice(int error_number) {
  if (platform::IsOutOfSpace(error_number)) {
    return "Free space on the disk that holds the board file, or name another board file with "
           "--port sim:FILE.";
  }
  switch (error_number) {
    case EFBIG:
      return "Raise the file-size limit (ulimit -f), or name another board file with --port "
             "sim:FILE.";
    case EIO:
      return "The disk that holds the board file failed to write it; check the disk (dmesg "
             "shows its errors), or name a board file on another disk with --port sim:FILE.";
    default:
      return "Name another board file with --port sim:FILE, or use --port sim for a board in "
             "memory.";
  }
}

bool PathExists(const std::string& path) { return platform::StatusOf(path).has_value(); }

// The virtual board is always there.
std::vector<ports::ListedPort> FindSim(const ports::SystemRoots&) {
  return {{"sim[:FILE]", "the virtual board, in memory or in a board file", "always there", {}}};
}

constexpr ports::PortParameter kParameters[] = {
    {"FILE", "the EEPROM's 128 bytes, created erased if missing"},
    {"eeprom=absent", "no EEPROM on the bus"},
    {"switch=absent", "no switch chip on the bus"},
    {"twr=MICROSECONDS", "the EEPROM's write cycle, default 5000"},
    {"page=4|8|16", "the EEPROM's page size in bytes, default 8"},
    {"sda=stuck-low", "SDA shorted to ground"},
    {"timing=100|400", "the chips check the 100 or 400 kHz timing"},
    {"present=PATH", "the board is in place only while PATH exists"},
    {"clock=wall", "the board keeps wall-clock time, as hardware does"},
    ports::kSpeedParameter,
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

std::string SimPort::Remedy(const bus::BusResult& result) const {
  return BoardRemedy(board_->Options(), result, board_->TimingViolated());
}

std::string BoardRemedy(const sim::BoardOptions& options, const bus::BusResult& result,
                        bool timing_violated) {
  using bus::BusDevice;
  using bus::BusFault;
  if (result.fault == bus::BusFault::PortFailed) return StoreAdvice(result.error_number);
  if (result.fault == bus::BusFault::BusHeldLow && options.sda_stuck_low) {
    return "The virtual board was started with sda=stuck-low, which shorts its SDA line to "
           "ground; leave that option out of --port.";
  }
  if (timing_violated) {
    return "The virtual board checks the bus against the data sheet's " +
           std::to_string(options.timing_khz) + " kHz minimums (timing=" +
           std::to_string(options.timing_khz) +
           "), and the port drove it faster: give the port a speed the board takes (khz=N, not 0 "
           "and at most " + std::to_string(options.timing_khz) +
           "); --trace FILE shows where.";
  }
  if (!options.present_path.empty() && !PathExists(options.present_path)) {
    return "The virtual board was started with present=" + options.present_path +
           ", which does not exist, so the board is not in place and nothing answers on its bus; "
           "create that file to put the board in place.";
  }
  if (result.device == bus::BusDevice::Eeprom && !options.eeprom_present) {
    return "The virtual board was started with eeprom=absent, so no EEPROM answers on its bus; "
           "leave that option out of --port.";
  }
  if (result.device == bus::BusDevice::SwitchChip && !options.switch_present) {
    return "The virtual board was started with switch=absent, so no switch chip answers on its "
           "bus; leave that option out of --port.";
  }
  const std::uint64_t write_cycle = std::uint64_t{options.write_cycle_microseconds} * 1000;
  // A write cycle of up to 100 ms always ends within the polling; a longer one only as far as the
  // last attempt reaches, which depends on the bus speed.
  if (result.device == bus::BusDevice::Eeprom && write_cycle > bus::kSelectPollingLimitNanoseconds) {
    return "The virtual board's EEPROM was started with twr=" +
           std::to_string(options.write_cycle_microseconds) +
           ": its write cycle is longer than the 100 ms the programs wait for the EEPROM to "
           "answer again; give twr a value of at most 100000 microseconds.";
  }
  return "The virtual board did not answer as a board would; run the operation again with "
         "--trace FILE and report it with the trace.";
}

const ports::PortBackend& SimBackend() {
  static const ports::PortBackend backend{
      .name = "sim",
      .form = "sim[:FILE][,OPTION...]",
      .description = "the virtual board (in memory without FILE)",
      .available = true,
      .access = bus::PortAccess::Lines,
      .parse = ParseSim,
      .parameters = kParameters,
      .open = OpenSim,
      .find = FindSim,
      .none_found = {},
      .example = "sim,twr=100",
  };
  return backend;
}

}  // namespace ports
