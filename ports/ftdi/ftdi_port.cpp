// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ftdi/ftdi_port.h"

#include <libusb.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "ports/device_nodes.h"
#include "ports/usb/usb_devices.h"

namespace ports {
namespace {

constexpr std::uint8_t kBitmodeReset = 0x00;
constexpr std::uint8_t kBitmodeMpsse = 0x02;
constexpr std::uint8_t kLatencyMilliseconds = 16;
constexpr std::uint64_t kReplyDeadlineNanoseconds = 1'000'000'000;
constexpr std::uint8_t kSetupProbe = 0xAB;  // another op-code no chip knows, after the set-up

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

std::string Describe(const FtdiUsbDevice& device) {
  return "the " + FtdiModel(device.product) + " at USB " + device.port_path +
         (device.serial.empty() ? "" : " (serial " + device.serial + ")");
}

// The chip WHERE names, or the only one; nothing, with `error` set, when there is none or
// several.
std::optional<FtdiUsbDevice> ChooseChip(FtdiCalls& calls, const std::string& where,
                                        std::string& error) {
  std::vector<FtdiUsbDevice> devices;
  if (const int result = calls.FindAll(devices); result < 0) {
    error = "libftdi could not look at the USB (result " + std::to_string(result) +
            "); check that the USB subsystem works (lsusb)";
    return std::nullopt;
  }
  if (devices.empty()) {
    error = "no FTDI chip with an MPSSE engine (FT232H 0403:6014, FT2232H 0403:6010, FT4232H "
            "0403:6011) is on the USB: plug it in; check with lsusb";
    return std::nullopt;
  }
  std::vector<UsbCandidate> candidates;
  for (const FtdiUsbDevice& device : devices) {
    candidates.push_back({device.port_path, device.serial, FtdiModel(device.product)});
  }
  const std::optional<std::size_t> chosen =
      ChooseUsbDevice(candidates, where, {"ftdi", "FTDI chips", true}, error);
  if (chosen) return devices[*chosen];
  if (error.empty()) {
    std::string found;
    for (const UsbCandidate& candidate : candidates) {
      found += (found.empty() ? "" : ", ") + candidate.port_path + " " + candidate.label +
               (candidate.serial.empty() ? "" : " serial " + candidate.serial);
    }
    error = "no FTDI chip at USB port " + where + " or with serial number " + where +
            ": plug it in; check with lsusb (found: " + found + ")";
  }
  return std::nullopt;
}

// True when the USB still lists `device`: a failure during the open is an unplug when not.
bool StillPlugged(FtdiCalls& calls, const FtdiUsbDevice& device) {
  std::vector<FtdiUsbDevice> devices;
  if (calls.FindAll(devices) < 0) return true;
  return std::any_of(devices.begin(), devices.end(), [&](const FtdiUsbDevice& d) {
    return d.port_path == device.port_path && d.product == device.product;
  });
}

std::string Unplugged(const FtdiUsbDevice& device) {
  return Describe(device) + " was unplugged while it was being opened: plug it in again (check "
                            "with lsusb), then try again";
}

std::unique_ptr<FtdiChannel> OpenChannel(FtdiCalls& calls, const FtdiUsbDevice& device,
                                         int channel, std::string& error) {
  const std::string letter = channel == 2 ? "B" : "A";
  if (channel == 2 && device.product == kFt232hProduct) {
    error = Describe(device) + " has only channel A; leave channel=B out";
    return nullptr;
  }
  int result = 0;
  std::string text;
  std::unique_ptr<FtdiChannel> opened = calls.Open(device.port_path, channel, result, text);
  if (opened) return opened;
  const int reason = errno;
  if (result == kFtdiDetachForbidden ||
      (result == kFtdiOpenFailed && (reason == EACCES || reason == EPERM))) {
    error = "permission denied on " + Describe(device) + ": " + UsbPermissionRemedy();
  } else if (result == kFtdiClaimFailed) {
    error = "channel " + letter + " of " + Describe(device) +
            " is held by another program or by a kernel driver that could not be detached (" +
            text + "): close the program that uses it (a terminal on its /dev/ttyUSB port), "
            "or unload the driver (modprobe -r ftdi_sio)";
  } else if (!StillPlugged(calls, device)) {
    error = Unplugged(device);
  } else {
    error = "libftdi could not open " + Describe(device) + " (" +
            (text.empty() ? "" : text + ", ") + "result " + std::to_string(result) +
            "): unplug it, plug it in again and check with lsusb";
  }
  return nullptr;
}

// The error number for a failed USB write or read, from libusb's answer: never one that reads
// as a missing acknowledge (EIO, ETIMEDOUT), so the bus layer does not poll on it.
int UsbFailure(int libusb_error) {
  switch (libusb_error) {
    case LIBUSB_ERROR_NO_DEVICE:
      return ENODEV;
    case LIBUSB_ERROR_TIMEOUT:
      return ETIME;
    default:
      return EPROTO;
  }
}

// A transfer's messages are ones the backend sends: each fits one round trip.
bool Sendable(std::span<const bus::I2cMessage> messages) {
  return !messages.empty() &&
         std::all_of(messages.begin(), messages.end(), [](const bus::I2cMessage& message) {
           // A read of no bytes would leave the device driving SDA into the stop.
           return message.data.size() <= kFtdiLongestMessage && message.address < 0x80 &&
                  !(message.read && message.data.empty());
         });
}

bool Acknowledged(std::uint8_t reply) { return (reply & 0x01) == 0; }

// The stream of one message: its start, address byte, bytes, and the stop after the last.
MpsseI2cStream MessageStream(const MpsseTiming& timing, bool drive_only_zero,
                             const bus::I2cMessage& message, bool first, bool last) {
  MpsseI2cStream stream(timing, drive_only_zero);
  stream.Start(!first);
  stream.WriteByte(static_cast<std::uint8_t>((message.address << 1) | (message.read ? 1 : 0)));
  for (std::size_t i = 0; i < message.data.size(); ++i) {
    if (message.read) {
      stream.ReadByte(i + 1 == message.data.size());
    } else {
      stream.WriteByte(message.data[i]);
    }
  }
  if (last) stream.Stop();
  stream.SendImmediate();
  return stream;
}

// True when the replies acknowledge every byte that was sent; copies read data.
bool TakeReplies(const bus::I2cMessage& message, std::span<const std::uint8_t> replies) {
  if (!Acknowledged(replies[0])) return false;
  if (message.read) {
    std::copy(replies.begin() + 1, replies.end(), message.data.begin());
    return true;
  }
  return std::all_of(replies.begin(), replies.end(), Acknowledged);
}

std::string Option(std::string_view name, std::string_view option) {
  return std::string(option.substr(name.size()));
}

bool ParseFtdiOption(std::string_view option, FtdiSettings& settings, std::string& error) {
  if (option.starts_with("channel=")) {
    const std::string letter = Option("channel=", option);
    if (letter == "A" || letter == "a" || letter == "B" || letter == "b") {
      settings.channel = (letter == "A" || letter == "a") ? 1 : 2;
      return true;
    }
    error = std::string(option) + ": the MPSSE channel is A or B";
    return false;
  }
  if (option.starts_with("khz=")) {
    std::uint64_t value = 0;
    if (ParseDecimalOption(option.substr(4), kFastestBusKhz, value) == DecimalOption::Taken &&
        value > 0) {
      settings.khz = static_cast<unsigned>(value);
      return true;
    }
    error = std::string(option) + " is not a bus speed from 1 to 400 kHz";
    return false;
  }
  error = option.empty() ? std::string("an option of ftdi is empty (two commas, or a comma at "
                                        "the end): ftdi takes channel=A|B and khz=N")
                         : std::string(option) + ": ftdi takes channel=A|B and khz=N";
  return false;
}

bool ParseFtdi(std::string_view argument, PortSpec& spec, std::string& error) {
  const PortArgument split = SplitPortArgument(argument);
  FtdiSettings settings;
  if (split.main) {
    if (split.main->empty()) {
      error = "the USB port path or serial number is missing after ftdi: (name one such as 1-2.3 "
              "or a serial number, or leave out the ':' for the only chip plugged in)";
      return false;
    }
    settings.where = std::string(*split.main);
  }
  for (const std::string_view option : split.options) {
    if (!ParseFtdiOption(option, settings, error)) return false;
  }
  spec.text = "ftdi" + (settings.where.empty() ? "" : ":" + settings.where) +
              (settings.channel == 2 ? ",channel=B" : "") +
              (settings.khz != kDefaultBusKhz ? ",khz=" + std::to_string(settings.khz) : "");
  spec.settings = settings;
  spec.device_kind = "FTDI chip";
  spec.device_where = settings.where;
  return true;
}

OpenedPort OpenFtdi(const PortSpec& spec) {
  OpenedPort opened;
  opened.adapter = FtdiAdapter::Open(spec.SettingsAs<FtdiSettings>(), spec.Text(), opened.error,
                                     FtdiCallsInUse());
  return opened;
}

bool IsOurProduct(std::uint16_t product) {
  return product == kFt232hProduct || product == kFt2232hProduct || product == kFt4232hProduct;
}

// Every FTDI chip of the three kinds, from sysfs, by its USB port path.
std::vector<ListedPort> FindFtdi(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  for (const UsbDevice& device : UsbDevicesOf(roots, kFtdiVendor)) {
    if (!IsOurProduct(device.product)) continue;
    const std::string serial = device.serial.empty() ? "" : " serial " + device.serial;
    ports.push_back({"ftdi:" + device.where, FtdiModel(device.product) + serial, device.access,
                     "usb " + device.where});
  }
  return ports;
}

constexpr PortParameter kParameters[] = {
    {"WHERE", "USB port path (1-2.3) or serial number; needed when several are plugged in"},
    {"channel=A|B", "the MPSSE channel of an FT2232H or FT4232H (default A)"},
    {"khz=N", "bus speed whose phase minimums are kept: 100 (default), 400 fast-mode"},
};

}  // namespace

std::string FtdiModel(std::uint16_t product) {
  switch (product) {
    case kFt232hProduct:
      return "FT232H";
    case kFt2232hProduct:
      return "FT2232H";
    case kFt4232hProduct:
      return "FT4232H";
    default:
      return "FTDI chip";
  }
}

std::unique_ptr<FtdiAdapter> FtdiAdapter::Open(const FtdiSettings& settings, std::string name,
                                               std::string& error, FtdiCalls& calls) {
  const std::optional<FtdiUsbDevice> chosen = ChooseChip(calls, settings.where, error);
  if (!chosen) return nullptr;
  const FtdiUsbDevice& device = *chosen;
  std::unique_ptr<FtdiChannel> channel = OpenChannel(calls, device, settings.channel, error);
  if (!channel) return nullptr;
  if (channel->SetBitmode(0, kBitmodeReset) < 0 ||
      channel->SetLatencyTimer(kLatencyMilliseconds) < 0 ||
      channel->SetBitmode(0, kBitmodeMpsse) < 0 || channel->Flush() < 0) {
    const std::string text = channel->ErrorText();
    error = !StillPlugged(calls, device)
                ? Unplugged(device)
                : "libftdi could not put " + Describe(device) + " in MPSSE mode" +
                      (text.empty() ? "" : " (" + text + ")") +
                      ": unplug it, plug it in again and check with lsusb";
    return nullptr;
  }
  // Drive-only-zero by what the chip says it is, not by its product id alone: an FT2232H or
  // FT4232H whose product id was changed to the FT232H's would refuse it.
  const bool drive_only_zero =
      device.product == kFt232hProduct && device.release == kFt232hRelease;
  std::unique_ptr<FtdiAdapter> adapter(new FtdiAdapter(
      std::move(channel), std::move(name), calls, MpsseTimingAt(settings.khz), drive_only_zero));
  if (std::string failed = adapter->SetUp(); !failed.empty()) {
    error = !StillPlugged(calls, device) ? Unplugged(device) : Describe(device) + failed;
    return nullptr;
  }
  adapter->note_.clear();
  return adapter;
}

std::string FtdiAdapter::SetUp() {
  // An MPSSE engine answers an op-code it does not know with FA and that op-code.
  const std::uint8_t probe[] = {mpsse::kSyncProbe};
  std::uint8_t echo[2] = {};
  const int failed = Send(probe, Hex(probe));
  if (failed != 0 || Collect(echo, 0) != 0 || echo[0] != mpsse::kBadCommandEcho ||
      echo[1] != mpsse::kSyncProbe) {
    return " answered the MPSSE check with '" + (failed != 0 ? std::string("nothing") : Hex(echo)) +
           "' where an MPSSE engine answers 'fa aa': not an MPSSE chip or not answering; unplug "
           "it, plug it in again, and make sure no other program uses it";
  }
  // The set-up, then another unknown op-code: a set-up command the chip refuses is answered
  // first, and would otherwise shift every reply after it.
  std::vector<std::uint8_t> setup = MpsseSetup(timing_, drive_only_zero_);
  setup.push_back(kSetupProbe);
  setup.push_back(mpsse::kSendImmediate);
  if (Send(setup, Hex(setup)) != 0 || Collect(echo, 0) != 0) {
    const std::string text = channel_->ErrorText();
    return " did not take the set-up for I2C" + (text.empty() ? "" : " (" + text + ")") +
           ": unplug it, plug it in again";
  }
  if (echo[0] == mpsse::kBadCommandEcho && echo[1] != kSetupProbe) {
    return " refused the MPSSE set-up (op-code " + Hex(std::span(echo).last(1)) +
           "): not an FT232H, FT2232H or FT4232H in MPSSE mode?";
  }
  if (echo[0] != mpsse::kBadCommandEcho) {
    return " answered the set-up with '" + Hex(echo) + "' where an MPSSE engine answers 'fa " +
           Hex(std::span(&kSetupProbe, 1)) + "': unplug it, plug it in again";
  }
  // Nothing left in the reply queue for the first transfer to take as its own.
  if (channel_->Flush() < 0) {
    return " could not empty its reply queue: unplug it, plug it in again";
  }
  return {};
}

FtdiAdapter::FtdiAdapter(std::unique_ptr<FtdiChannel> channel, std::string name,
                         FtdiCalls& calls, const MpsseTiming& timing, bool drive_only_zero)
    : channel_(std::move(channel)),
      name_(std::move(name)),
      calls_(calls),
      timing_(timing),
      drive_only_zero_(drive_only_zero),
      opened_(calls.Now()) {}

FtdiAdapter::~FtdiAdapter() {
  const std::vector<std::uint8_t> let_go = MpsseLetGo();
  channel_->Write(let_go);
  channel_->SetBitmode(0, kBitmodeReset);
}

int FtdiAdapter::Transfer(std::span<bus::I2cMessage> messages) {
  if (!Sendable(messages)) return EMSGSIZE;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const bool last = i + 1 == messages.size();
    const MpsseI2cStream stream =
        MessageStream(timing_, drive_only_zero_, messages[i], i == 0, last);
    std::vector<std::uint8_t> replies(stream.Replies());
    if (const int failed = RoundTrip(stream, replies); failed != 0) return failed;
    if (TakeReplies(messages[i], replies)) continue;
    if (!last) {
      MpsseI2cStream stop(timing_, drive_only_zero_);
      stop.Stop();
      if (const int failed = Send(stop.Bytes(), stop.Note()); failed != 0) return failed;
    }
    return ENXIO;
  }
  return 0;
}

int FtdiAdapter::RoundTrip(const MpsseI2cStream& stream, std::span<std::uint8_t> replies) {
  if (const int failed = Send(stream.Bytes(), stream.Note()); failed != 0) return failed;
  return Collect(replies, stream.BusNanoseconds());
}

int FtdiAdapter::Send(std::span<const std::uint8_t> bytes, const std::string& note) {
  if (gone_) return ENODEV;
  note_ += "> " + note + "\n";
  const int written = channel_->Write(bytes);
  if (written < 0) return Failed(written);
  return written == static_cast<int>(bytes.size()) ? 0 : EPROTO;
}

int FtdiAdapter::Failed(int libusb_error) {
  const int error = UsbFailure(libusb_error);
  if (error == ENODEV) gone_ = true;
  note_ += "  (" + std::string(libusb_error_name(libusb_error)) + ")\n";
  return error;
}

int FtdiAdapter::Collect(std::span<std::uint8_t> replies, std::uint64_t bus_nanoseconds) {
  const std::uint64_t deadline = calls_.Now() + kReplyDeadlineNanoseconds + 2 * bus_nanoseconds;
  std::size_t have = 0;
  while (have < replies.size()) {
    const int read = channel_->Read(replies.subspan(have));
    if (read < 0) return Failed(read);
    have += static_cast<std::size_t>(read);
    if (have < replies.size() && calls_.Now() > deadline) {
      note_ += "< " + Hex(replies.first(have)) + " (then nothing)\n";
      channel_->Flush();  // what comes late must not shift the next replies
      return ETIME;
    }
  }
  note_ += "< " + Hex(replies) + "\n";
  return 0;
}

std::string FtdiAdapter::TakeWireNote() { return std::exchange(note_, {}); }

std::uint64_t FtdiAdapter::NowNanoseconds() const { return calls_.Now() - opened_; }

std::string FtdiAdapter::Remedy(const bus::BusResult& result) const {
  if (result.fault == bus::BusFault::PortFailed) {
    switch (result.error_number) {
      case ENODEV:
        return "The FTDI chip has gone from the USB: plug it in again (check with lsusb), then "
               "try again.";
      default:
        return "The FTDI chip stopped answering; unplug it and plug it in again, then try again "
               "(dmesg shows what the USB reported).";
    }
  }
  return "Check the wiring: AD0 to SCL (the EEPROM's pin 6), AD1 and AD2 joined to SDA (pin 5), "
         "GND to pin 4, pull-ups (4.7 kOhm, 2.2 kOhm at 400 kHz) from SDA and SCL to the board's "
         "supply, and that the board is powered.";
}

const PortBackend& FtdiBackend() {
  static const PortBackend backend{
      .name = "ftdi",
      .form = "ftdi[:WHERE][,channel=A|B][,khz=N]",
      .description = "an FT232H, FT2232H or FT4232H as I2C master (MPSSE, through libftdi1)",
      .available = true,
      .access = PortAccess::Messages,
      .parse = ParseFtdi,
      .parameters = kParameters,
      .open = OpenFtdi,
      .find = FindFtdi,
      .none_found = "No FTDI chip (FT232H, FT2232H, FT4232H) is plugged in; check with lsusb.",
      .example = "ftdi",
  };
  return backend;
}

}  // namespace ports
