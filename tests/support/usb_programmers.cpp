// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/usb_programmers.h"

#if PLOVER_WITH_CH341A
#include "ports/usb/libusb_calls.h"
#include "tests/ports/ch341a/fake_ch341a.h"
#endif
#if PLOVER_WITH_FTDI
#include "ports/ftdi/ftdi_calls.h"
#include "tests/ports/ftdi/fake_ftdi.h"
#endif

namespace test_support {
namespace {

#if PLOVER_WITH_CH341A
class InstalledCh341a final : public InstalledProgrammer {
 public:
  explicit InstalledCh341a(const FakeCh341aSettings& settings, const bus::Image& eeprom)
      : chip_(settings, eeprom), seam_(chip_) {}
  const sim::VirtualBoard& Board() const override { return chip_.Board(); }

 private:
  FakeCh341a chip_;
  ports::LibusbCallsOverride seam_;
};

UsbProgrammer Ch341a(std::string port) {
  return {"ch341a" + std::string(port.ends_with("400") ? "_400khz" : ""), port,
          [](sim::BoardOptions board, const bus::Image& eeprom, long unplugged_after) {
            FakeCh341aSettings settings;
            settings.board = board;
            settings.unplugged_after = unplugged_after < 0 ? -1 : 1 + unplugged_after;
            return std::unique_ptr<InstalledProgrammer>(
                std::make_unique<InstalledCh341a>(settings, eeprom));
          },
          // The last byte written, its select checked, then the read-back: the word address,
          // four chunks of 31 bytes and the last 4, each a packet with one status byte.
          {"    > aa 74 80 a0 82 7f 7d 75 00", "    < 00", "    > aa 74 80 a0 81 00 75 00",
           "    < 00", "    > aa 74 80 a1 de c0 75 00", "    > aa 74 80 a1 de c0 75 00",
           "    > aa 74 80 a1 de c0 75 00", "    > aa 74 80 a1 de c0 75 00",
           "    > aa 74 80 a1 c3 c0 75 00"},
          "No such device (it has been unplugged). The CH341A has been unplugged; plug it in again"};
}
#endif

#if PLOVER_WITH_FTDI
class InstalledFtdi final : public InstalledProgrammer {
 public:
  explicit InstalledFtdi(const FakeFtdiSettings& settings, const bus::Image& eeprom)
      : chip_(settings, eeprom), seam_(chip_) {}
  const sim::VirtualBoard& Board() const override { return chip_.Board(); }
  std::string TimingNotes() const override { return chip_.TimingNotes(); }

 private:
  FakeFtdi chip_;
  ports::FtdiCallsOverride seam_;
};

UsbProgrammer Ftdi(std::string name, std::string port, std::uint16_t product, unsigned khz) {
  return {std::move(name), std::move(port),
          [product, khz](sim::BoardOptions board, const bus::Image& eeprom, long unplugged_after) {
            FakeFtdiSettings settings;
            settings.devices = {{"1-2", "", product}};
            settings.board = board;
            settings.board.timing_khz = khz;
            settings.unplugged_after = unplugged_after;
            return std::unique_ptr<InstalledProgrammer>(
                std::make_unique<InstalledFtdi>(settings, eeprom));
          },
          {},
          "The FTDI chip has gone from the USB: plug it in again"};
}
#endif

}  // namespace

std::vector<UsbProgrammer> UsbProgrammers() {
  std::vector<UsbProgrammer> programmers;
#if PLOVER_WITH_CH341A
  programmers.push_back(Ch341a("ch341a"));
  programmers.push_back(Ch341a("ch341a,khz=400"));
#endif
#if PLOVER_WITH_FTDI
  programmers.push_back(Ftdi("ftdi_ft232h", "ftdi", ports::kFt232hProduct, 100));
  programmers.push_back(Ftdi("ftdi_ft2232h_400khz", "ftdi,khz=400", ports::kFt2232hProduct, 400));
#endif
  return programmers;
}

}  // namespace test_support
