// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ports/ftdi/fake_ftdi.h"

#include <libusb.h>

#include <algorithm>
#include <cerrno>

#include "ports/ftdi/ftdi_mpsse.h"

namespace test_support {
namespace {

constexpr std::uint64_t kLatencyPicoseconds = 16'000'000'000;  // the chip's latency timer
constexpr std::uint8_t kMpsseMode = 0x02;
constexpr std::size_t kReadChunk = 5;  // bytes one read returns at most

// The bcdDevice of each product.
std::uint16_t UsualRelease(std::uint16_t product) {
  return product == ports::kFt232hProduct    ? ports::kFt232hRelease
         : product == ports::kFt2232hProduct ? 0x0700
                                           : 0x0800;
}

// How many argument bytes each known op-code takes; -1: unknown.
int Arguments(std::uint8_t op, bool has_drive_zero, std::uint8_t refused) {
  if (op == refused) return -1;
  switch (op) {
    case 0x11: case 0x10: case 0x20: case 0x24: case 0x80: case 0x82: case 0x86:
      return 2;
    case 0x13: case 0x12:
      return 2;
    case 0x22: case 0x26:
      return 1;
    case 0x81: case 0x83: case 0x84: case 0x85: case 0x87: case 0x8A: case 0x8B: case 0x8C:
    case 0x8D: case 0x96: case 0x97:
      return 0;
    case 0x9E:
      return has_drive_zero ? 2 : -1;
    default:
      return -1;
  }
}

}  // namespace

// The MPSSE engine of channel A, its pins wired to the virtual board: AD0 to SCL, AD1 and AD2
// together to SDA.
class FakeFtdi::Engine {
 public:
  Engine(FakeFtdi& chip, bool has_drive_zero, bool echoes_garbage, std::uint8_t refused)
      : chip_(chip),
        has_drive_zero_(has_drive_zero),
        echoes_garbage_(echoes_garbage),
        refused_(refused) {}

  void SetMode(std::uint8_t mode) { mpsse_ = mode == kMpsseMode; }
  void Flush() {
    pending_.clear();
    ready_.clear();
    partial_.clear();
  }

  void Write(const std::uint8_t* bytes, std::size_t count) {
    if (!mpsse_) return;  // the bytes go to the UART
    partial_.insert(partial_.end(), bytes, bytes + count);
    std::size_t at = 0;
    while (at < partial_.size()) {
      const std::size_t used = Run(at);
      if (used == 0) break;  // a command continued in the next write
      at += used;
    }
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(at));
  }

  // Up to `count` replies; none, after the latency timer, when none was released.
  std::size_t Read(std::uint8_t* bytes, std::size_t count) {
    if (ready_.empty()) {
      Advance(kLatencyPicoseconds);
      ready_.insert(ready_.end(), pending_.begin(), pending_.end());
      pending_.clear();
      return 0;
    }
    if ((starve_ = !starve_)) return 0;
    const std::size_t given = std::min({count, ready_.size(), kReadChunk});
    std::copy_n(ready_.begin(), given, bytes);
    ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(given));
    return given;
  }

  void Advance(std::uint64_t picoseconds) {
    now_ = std::max(now_, chip_.board_->NowNanoseconds() * 1000) + picoseconds;
    chip_.board_->AdvanceTo(now_ / 1000);
  }

 private:
  // Runs the command at `at`; the bytes it used, 0 when it is not complete yet.
  std::size_t Run(std::size_t at) {
    const std::uint8_t op = partial_[at];
    const int arguments = Arguments(op, has_drive_zero_, refused_);
    if (arguments < 0) {
      pending_.push_back(echoes_garbage_ ? 0x32 : ports::mpsse::kBadCommandEcho);
      pending_.push_back(echoes_garbage_ ? 0x60 : op);
      return 1;
    }
    std::size_t length = 1 + static_cast<std::size_t>(arguments);
    if (at + length > partial_.size()) return 0;
    const std::uint8_t* a = &partial_[at + 1];
    const std::size_t bytes = arguments == 2 ? (a[0] | (a[1] << 8)) + 1u : 0;
    if (op == 0x11 || op == 0x10) {
      length += bytes;
      if (at + length > partial_.size()) return 0;
      for (std::size_t i = 0; i < bytes; ++i) ClockOut(a[2 + i], 8);
    } else {
      Command(op, a, bytes);
    }
    return length;
  }

  void Command(std::uint8_t op, const std::uint8_t* a, std::size_t bytes) {
    switch (op) {
      case 0x80: SetPins(a[0], a[1]); break;
      case 0x81:
        pending_.push_back(static_cast<std::uint8_t>((value_ & ~0x04) | (Sda() ? 0x04 : 0)));
        break;
      case 0x86: divisor_ = a[0] | (a[1] << 8); break;
      case 0x87:
        ready_.insert(ready_.end(), pending_.begin(), pending_.end());
        pending_.clear();
        break;
      case 0x8A: divide_by_5_ = false; break;
      case 0x8B: divide_by_5_ = true; break;
      case 0x8C: three_phase_ = true; break;
      case 0x8D: three_phase_ = false; break;
      case 0x9E: drive_zero_ = a[0]; break;
      case 0x13: case 0x12: ClockOut(a[1], a[0] + 1u); break;
      case 0x22: case 0x26: pending_.push_back(ClockIn(a[0] + 1u)); break;
      case 0x20: case 0x24:
        for (std::size_t i = 0; i < bytes; ++i) pending_.push_back(ClockIn(8));
        break;
      default: break;  // loopback, adaptive clocking, the high pins: nothing on this bus
    }
  }

  std::uint64_t HalfPeriod() const {
    return (divisor_ + 1ull) * 1'000'000 / (divide_by_5_ ? 12 : 60);
  }

  void SetPins(std::uint8_t value, std::uint8_t direction) {
    value_ = value;
    direction_ = direction;
    Drive();
    Advance(ports::mpsse::kPinWriteNanoseconds * 1000ull);
  }

  // The levels the pins put on the lines: a pin drives low when it is an output at 0, high when
  // it is an output at 1 outside drive-only-zero, and lets go otherwise.
  bool Pulls(std::uint8_t pin) const { return (direction_ & pin) != 0 && (value_ & pin) == 0; }
  bool Pushes(std::uint8_t pin) const {
    return (direction_ & pin) != 0 && (value_ & pin) != 0 && (drive_zero_ & pin) == 0;
  }

  void Drive() {
    sim::VirtualBoard& board = *chip_.board_;
    const bool scl = !Pulls(ports::mpsse::kScl);
    const bool sda = !Pulls(ports::mpsse::kSdaOut);
    if (scl && !board.Scl()) {  // a rising clock: the data first
      board.WriteData(sda ? 0x80 : 0);
      board.WriteControl(0x04);
    } else {
      board.WriteControl(scl ? 0x04 : 0);
      board.WriteData(sda ? 0x80 : 0);
    }
    if (Pushes(ports::mpsse::kSdaOut) && !board.Sda()) ++chip_.counts_.protocol_faults;
  }

  bool Sda() const { return chip_.board_->Sda(); }

  void Clock(bool high) {
    value_ = static_cast<std::uint8_t>(high ? value_ | ports::mpsse::kScl
                                            : value_ & ~ports::mpsse::kScl);
    Drive();
  }

  // One bit slot: the data set with SCL low, SCL high, and, three-phase, SCL low again.
  template <typename AtRise>
  void Slot(AtRise at_rise) {
    if (!Pulls(ports::mpsse::kScl)) ++chip_.counts_.protocol_faults;  // clocking from SCL high
    Advance(HalfPeriod());
    Clock(true);
    at_rise();
    Advance(HalfPeriod());
    Clock(false);
    if (three_phase_) Advance(HalfPeriod());
  }

  void ClockOut(std::uint8_t bits, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      const bool one = (bits & (0x80 >> i)) != 0;
      value_ = static_cast<std::uint8_t>(one ? value_ | ports::mpsse::kSdaOut
                                             : value_ & ~ports::mpsse::kSdaOut);
      Drive();
      Slot([] {});
    }
  }

  std::uint8_t ClockIn(unsigned count) {
    std::uint8_t bits = 0;
    for (unsigned i = 0; i < count; ++i) {
      Slot([&] { bits = static_cast<std::uint8_t>((bits << 1) | (Sda() ? 1 : 0)); });
    }
    return bits;
  }

  FakeFtdi& chip_;
  bool has_drive_zero_;
  bool echoes_garbage_;
  std::uint8_t refused_;
  bool mpsse_ = false;
  bool divide_by_5_ = true;
  bool three_phase_ = false;
  bool starve_ = false;
  std::uint8_t value_ = 0;
  std::uint8_t direction_ = 0;
  std::uint8_t drive_zero_ = 0;
  std::uint32_t divisor_ = 0;
  std::uint64_t now_ = 0;  // picoseconds
  std::vector<std::uint8_t> partial_;
  std::deque<std::uint8_t> pending_;
  std::deque<std::uint8_t> ready_;
};

class FakeChannel final : public ports::FtdiChannel {
 public:
  explicit FakeChannel(FakeFtdi& chip) : chip_(chip) {}
  ~FakeChannel() override { chip_.open_ = false; }
  FakeChannel(const FakeChannel&) = delete;
  FakeChannel& operator=(const FakeChannel&) = delete;

  int SetBitmode(std::uint8_t, std::uint8_t mode) override {
    if (Gone()) return -1;
    chip_.engine_->SetMode(mode);
    return 0;
  }
  int SetLatencyTimer(std::uint8_t) override { return Gone() ? -1 : 0; }
  int Flush() override {
    if (Gone()) return -1;
    chip_.engine_->Flush();
    return 0;
  }
  int Write(std::span<const std::uint8_t> bytes) override {
    ++chip_.counts_.writes;
    if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
    if (chip_.Past(chip_.settings_.write_fails_after)) return LIBUSB_ERROR_IO;
    chip_.counts_.bytes_sent += static_cast<long>(bytes.size());
    chip_.engine_->Advance(chip_.settings_.round_trip_nanoseconds * 1000);
    chip_.board_->BeginOperation();
    chip_.engine_->Write(bytes.data(), bytes.size());
    chip_.timing_notes_ += chip_.board_->TakeTimingNote();
    return static_cast<int>(bytes.size());
  }
  int Read(std::span<std::uint8_t> bytes) override {
    if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
    if (chip_.Past(chip_.settings_.read_fails_after)) return LIBUSB_ERROR_PIPE;
    if (chip_.Past(chip_.settings_.silent_after)) {  // only the status bytes come, each 16 ms
      chip_.engine_->Advance(kLatencyPicoseconds);
      return 0;
    }
    const std::size_t given = chip_.engine_->Read(bytes.data(), bytes.size());
    chip_.counts_.bytes_received += static_cast<long>(given);
    return static_cast<int>(given);
  }
  // libftdi has no text for a failure it did not see.
  std::string ErrorText() override { return {}; }

 private:
  bool Gone() const {
    return chip_.settings_.unplugged_at_open || chip_.Past(chip_.settings_.unplugged_after);
  }

  FakeFtdi& chip_;
};

FakeFtdi::FakeFtdi(const FakeFtdiSettings& settings, const bus::Image& eeprom)
    : settings_(settings), board_(std::make_unique<sim::VirtualBoard>(settings.board, eeprom)) {
  board_->SetAccessNanoseconds(0);
  for (ports::FtdiUsbDevice& device : settings_.devices) {
    if (device.release == 0) device.release = UsualRelease(device.product);
  }
}

FakeFtdi::~FakeFtdi() = default;

// Two writes (the check, and the set-up with its check) before the I2C traffic.
bool FakeFtdi::Past(long after) const { return after >= 0 && counts_.writes > 2 + after; }

int FakeFtdi::FindAll(std::vector<ports::FtdiUsbDevice>& devices) {
  devices = settings_.devices;
  if (open_ && settings_.unplugged_at_open) devices.clear();  // the USB no longer lists it
  return static_cast<int>(devices.size());
}

std::unique_ptr<ports::FtdiChannel> FakeFtdi::Open(const std::string& port_path, int, int& result,
                                                 std::string& text) {
  const auto device =
      std::find_if(settings_.devices.begin(), settings_.devices.end(),
                   [&](const ports::FtdiUsbDevice& d) { return d.port_path == port_path; });
  result = device == settings_.devices.end() ? -3
           : settings_.permission_denied     ? ports::kFtdiOpenFailed
           : settings_.interface_busy        ? ports::kFtdiClaimFailed
                                             : 0;
  if (result != 0) {
    text = result == ports::kFtdiClaimFailed ? "unable to claim usb device" : "usb_open() failed";
    errno = result == ports::kFtdiOpenFailed ? EACCES : EBUSY;
    return nullptr;
  }
  engine_ = std::make_unique<Engine>(*this, device->release == ports::kFt232hRelease,
                                     settings_.echoes_garbage, settings_.refused_op);
  open_ = true;
  return std::make_unique<FakeChannel>(*this);
}

}  // namespace test_support
