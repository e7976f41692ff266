// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_board.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "bus/port_base.h"
#include "sim/board_file.h"
#include "sim/eeprom_chip.h"
#include "sim/switch_chip.h"
#include "sim/timing_checker.h"

namespace sim {

namespace {
constexpr std::uint8_t kDataSda = 0x80;     // data register bit 7 drives SDA
constexpr std::uint8_t kControlScl = 0x04;  // control register bit 2 drives SCL
constexpr std::uint8_t kStatusSda = 0x40;   // status register bit 6 senses SDA
constexpr std::uint8_t kStatusOther = 0x3F;  // the status bits the board does not drive

// A wall-clock wait longer than this sleeps, so that several boards keeping wall-clock time share
// the machine's cores while they wait; a shorter one (a phase of the bus) spins, as a sleep would
// overshoot it many times over.
constexpr std::uint64_t kSpinNanoseconds = 50'000;

bus::Image Erased() {
  bus::Image image;
  image.fill(0xFF);
  return image;
}

bool PathExists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}
}  // namespace

struct VirtualBoard::Impl {
  Impl(const BoardOptions& options, const bus::Image& contents, std::unique_ptr<BoardFile> f)
      : options(options),
        file(std::move(f)),
        eeprom_present(options.eeprom_present),
        switch_present(options.switch_present),
        sda_stuck_low(options.sda_stuck_low),
        wall_origin(bus::MonotonicNanoseconds()),
        bus_sda(!options.sda_stuck_low),
        eeprom(contents, std::uint64_t{options.write_cycle_microseconds} * 1000, now, file.get(),
               options.page_size),
        switch_chip(contents) {
    if (options.timing_khz != 0) timing.emplace(options.timing_khz);
    CheckPower();
  }

  // The wired-AND of the master's SDA and every device's output.
  [[nodiscard]] bool BusSda() const {
    return master_sda && !sda_stuck_low && (!eeprom_present || eeprom.Output()) &&
           (!switch_present || switch_chip.Output());
  }

  const BoardOptions options;
  std::unique_ptr<BoardFile> file;
  bool eeprom_present;  // fitted (no eeprom=absent) and the board in place (present=PATH)
  bool switch_present;
  const bool sda_stuck_low;
  const std::uint64_t wall_origin;
  bool powered = true;  // present=PATH: PATH existed when the last operation began
  std::uint64_t now = 0;
  bool master_sda = true;
  bool scl = true;
  bool bus_sda;
  EepromChip eeprom;
  SwitchChip switch_chip;
  // With timing checks: a rising SCL edge reaches the chips only when its falling edge ends a
  // pulse they see, together with the SDA level it rose on.
  std::optional<TimingChecker> timing;
  bool pulse_seen = true;
  bool rise_pending = false;
  bool rise_sda = true;
  std::uint64_t access_nanoseconds = kNanosecondsPerAccess;

  void Condition(bool stop) {
    if (stop) {
      if (eeprom_present) eeprom.Stop();
      if (switch_present) switch_chip.Stop();
    } else {
      if (eeprom_present) eeprom.Start();
      if (switch_present) switch_chip.Start();
    }
  }
  void Rise(bool sda) {
    if (eeprom_present) eeprom.SclRose(sda);
    if (switch_present) switch_chip.SclRose(sda);
  }
  void Fall() {
    if (eeprom_present) eeprom.SclFell();
    if (switch_present) switch_chip.SclFell();
  }
  void WriteDataChecked(bool sda);
  void WriteControlChecked(bool scl);

  [[nodiscard]] std::uint64_t WallNanoseconds() const {
    return bus::MonotonicNanoseconds() - wall_origin;
  }
  // One port access: it takes 1 microsecond (or as set) of simulated time, or its real time.
  void Tick() {
    now = options.wall_clock ? std::max(now, WallNanoseconds()) : now + access_nanoseconds;
  }
  void WaitForWallClock(std::uint64_t until) const {
    for (std::uint64_t wall = WallNanoseconds(); wall < until; wall = WallNanoseconds()) {
      if (until - wall > kSpinNanoseconds) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(until - wall));
      }
    }
  }
  // With present=PATH: the board is in place while PATH exists. A board put back in place loads
  // the switch chip's registers from the EEPROM, as at reset.
  void CheckPower() {
    if (options.present_path.empty()) return;
    const bool in_place = PathExists(options.present_path);
    if (in_place && !powered) switch_chip.PowerUp(eeprom.Contents());
    powered = in_place;
    eeprom_present = options.eeprom_present && powered;
    switch_present = options.switch_present && powered;
    bus_sda = BusSda();
  }
};

void VirtualBoard::Impl::WriteDataChecked(bool sda) {
  if (sda == master_sda) return;
  master_sda = sda;
  const bool was = bus_sda;
  bus_sda = BusSda();
  if (bus_sda == was) return;
  const bool seen = timing->SdaChanged(now, scl, bus_sda);
  if (!scl || !seen) return;
  rise_pending = false;  // a start or stop ends whatever the clock pulse had begun
  Condition(bus_sda);
  bus_sda = BusSda();
}

void VirtualBoard::Impl::WriteControlChecked(bool rising) {
  if (rising == scl) return;
  scl = rising;
  if (rising) {
    pulse_seen = timing->SclRose(now);
    rise_pending = pulse_seen;
    rise_sda = bus_sda;
    return;
  }
  const bool fall_seen = timing->SclFell(now);
  if (pulse_seen && fall_seen) {
    if (rise_pending) Rise(rise_sda);
    Fall();
  }
  rise_pending = false;
  const bool was = bus_sda;
  bus_sda = BusSda();
  if (bus_sda != was) timing->SdaChanged(now, false, bus_sda);
}

std::unique_ptr<VirtualBoard> VirtualBoard::Create(const BoardOptions& options,
                                                   std::string& error) {
  if (options.file.empty()) return std::make_unique<VirtualBoard>(options, Erased());
  bus::Image contents{};
  std::unique_ptr<BoardFile> file = BoardFile::Open(options.file, contents, error);
  if (!file) return nullptr;
  return std::unique_ptr<VirtualBoard>(new VirtualBoard(options, contents, std::move(file)));
}

VirtualBoard::VirtualBoard(const BoardOptions& options, const bus::Image& contents)
    : impl_(std::make_unique<Impl>(options, contents, nullptr)) {}

VirtualBoard::VirtualBoard(const BoardOptions& options, const bus::Image& contents,
                           std::unique_ptr<BoardFile> file)
    : impl_(std::make_unique<Impl>(options, contents, std::move(file))) {}

VirtualBoard::~VirtualBoard() = default;

void VirtualBoard::WriteData(std::uint8_t value) {
  Impl& b = *impl_;
  b.Tick();
  const bool sda = (value & kDataSda) != 0;
  if (b.timing) {
    b.WriteDataChecked(sda);
    return;
  }
  if (sda == b.master_sda) return;
  b.master_sda = sda;
  const bool was = b.bus_sda;
  b.bus_sda = b.BusSda();
  // The bus SDA changing while SCL is high is a start (falling) or a stop (rising) condition.
  // While a device holds SDA low, the master releasing its SDA changes nothing on the bus.
  if (!b.scl || b.bus_sda == was) return;
  if (b.bus_sda) {
    if (b.eeprom_present) b.eeprom.Stop();
    if (b.switch_present) b.switch_chip.Stop();
  } else {
    if (b.eeprom_present) b.eeprom.Start();
    if (b.switch_present) b.switch_chip.Start();
  }
  b.bus_sda = b.BusSda();
}

void VirtualBoard::WriteControl(std::uint8_t value) {
  Impl& b = *impl_;
  b.Tick();
  const bool scl = (value & kControlScl) != 0;
  if (b.timing) {
    b.WriteControlChecked(scl);
    return;
  }
  if (scl == b.scl) return;
  b.scl = scl;
  if (scl) {  // the devices sample SDA; their outputs do not change while SCL is high
    if (b.eeprom_present) b.eeprom.SclRose(b.bus_sda);
    if (b.switch_present) b.switch_chip.SclRose(b.bus_sda);
    return;
  }
  if (b.eeprom_present) b.eeprom.SclFell();
  if (b.switch_present) b.switch_chip.SclFell();
  b.bus_sda = b.BusSda();
}

std::uint8_t VirtualBoard::ReadStatus() {
  Impl& b = *impl_;
  b.Tick();
  return b.bus_sda ? kStatusSda | kStatusOther : kStatusOther;
}

std::uint64_t VirtualBoard::NowNanoseconds() const { return impl_->now; }
bool VirtualBoard::Scl() const { return impl_->scl; }
bool VirtualBoard::Sda() const { return impl_->bus_sda; }
const BoardOptions& VirtualBoard::Options() const { return impl_->options; }
const bus::Image& VirtualBoard::EepromContents() const { return impl_->eeprom.Contents(); }
const bus::Image& VirtualBoard::SwitchRegisters() const { return impl_->switch_chip.Registers(); }
bool VirtualBoard::EepromBusy() const { return impl_->eeprom.Busy(); }
std::uint64_t VirtualBoard::EepromReadyAtNanoseconds() const {
  return impl_->eeprom.ReadyAtNanoseconds();
}

void VirtualBoard::AdvanceTo(std::uint64_t nanoseconds) {
  if (impl_->options.wall_clock) impl_->WaitForWallClock(nanoseconds);
  if (nanoseconds > impl_->now) impl_->now = nanoseconds;
}

void VirtualBoard::SetAccessNanoseconds(std::uint64_t nanoseconds) {
  impl_->access_nanoseconds = nanoseconds;
}

void VirtualBoard::BeginOperation() {
  impl_->CheckPower();
  if (impl_->timing) impl_->timing->BeginOperation();
}

bool VirtualBoard::TimingViolated() const {
  return impl_->timing && impl_->timing->Violated();
}

std::string VirtualBoard::TakeTimingNote() {
  return impl_->timing ? impl_->timing->TakeNote() : std::string();
}

bus::BusResult VirtualBoard::TakeStoreFailure() { return impl_->eeprom.TakeStoreFailure(); }

}  // namespace sim
