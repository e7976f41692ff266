// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ch341a/ch341a_port.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/error_numbers.h"
#include "ports/ch341a/ch341a_stream.h"
#include "ports/usb/usb_devices.h"

namespace ports {
namespace {

constexpr int kInterface = 0;
constexpr unsigned char kBulkOut = 0x02;
constexpr unsigned char kBulkIn = 0x82;
// How long a bulk transfer may take: the chip answers within a frame or two.
constexpr unsigned kTransferTimeoutMilliseconds = 1000;
// How long the drain at open waits for an answer a previous program left unread.
constexpr unsigned kDrainTimeoutMilliseconds = 20;

constexpr const char* kPlugIn = "plug it in; check with lsusb";
constexpr const char* kSerialMode =
    "the CH341A is in its serial mode (USB 1a86:5523); set the mode jumper to I2C/SPI and plug "
    "it in again";

unsigned char SpeedCode(unsigned khz) {
  switch (khz) {
    case 20:
      return 0;
    case 400:
      return 2;
    case 750:
      return 3;
    default:
      return 1;
  }
}

std::string LibusbReason(int libusb_error) {
  return libusb_strerror(libusb_error);
}

// A CH341A on the bus, in either mode.
struct Candidate {
  libusb_device* device;
  std::string where;
  bool serial_mode;
};

std::string PortPath(LibusbCalls& calls, libusb_device* device) {
  std::uint8_t numbers[8];
  const int count = calls.GetPortNumbers(device, numbers, static_cast<int>(sizeof numbers));
  return UsbPortPath(calls.GetBusNumber(device),
                     std::span<const std::uint8_t>(numbers, count > 0 ? count : 0));
}

std::vector<Candidate> Candidates(LibusbCalls& calls, libusb_device** list, ssize_t count) {
  std::vector<Candidate> found;
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    if (calls.GetDeviceDescriptor(list[i], &descriptor) != 0) continue;
    if (descriptor.idVendor != kCh341aVendor) continue;
    if (descriptor.idProduct != kCh341aI2cProduct && descriptor.idProduct != kCh341aSerialProduct) {
      continue;
    }
    found.push_back({list[i], PortPath(calls, list[i]),
                     descriptor.idProduct == kCh341aSerialProduct});
  }
  return found;
}

// The one programmer `where` names (or the only one), or nullptr with `error` set.
libusb_device* Choose(const std::vector<Candidate>& candidates, const std::string& where,
                      std::string& error) {
  std::vector<const Candidate*> programmers;
  std::vector<UsbCandidate> choices;
  bool serial = false;
  for (const Candidate& candidate : candidates) {
    if (candidate.serial_mode) {
      serial = serial || where.empty() || candidate.where == where;
    } else {
      programmers.push_back(&candidate);
      choices.push_back({candidate.where, {}, {}});
    }
  }
  const std::optional<std::size_t> chosen =
      ChooseUsbDevice(choices, where, {"ch341a", "CH341A programmers", false}, error);
  if (chosen) return programmers[*chosen]->device;
  if (!error.empty()) return nullptr;
  if (serial) {
    error = kSerialMode;
  } else {
    error = (where.empty() ? std::string("no CH341A (USB 1a86:5512) is plugged in")
                           : "no CH341A (USB 1a86:5512) is at USB port " + where) +
            "; " + kPlugIn + (where.empty() ? "" : ", and --list-ports for where it is");
  }
  return nullptr;
}

std::string OpenFailure(int libusb_error, const std::string& where) {
  const std::string reason = LibusbReason(libusb_error) + " (opening the CH341A at USB port " +
                             where + "); ";
  switch (libusb_error) {
    case LIBUSB_ERROR_ACCESS:
    case LIBUSB_ERROR_NOT_SUPPORTED:  // Windows: no WinUSB driver bound to it
      return reason + UsbPermissionRemedy();
    case LIBUSB_ERROR_NO_DEVICE:
      return reason + "it has been unplugged; " + kPlugIn;
    default:
      return reason + "unplug it and plug it in again";
  }
}

// The system's error number for a libusb error, never one that reads as a missing acknowledge.
int ErrnoOfLibusb(int libusb_error) {
  switch (libusb_error) {
    case LIBUSB_ERROR_NO_DEVICE:
      return ENODEV;
    case LIBUSB_ERROR_TIMEOUT:
      return ETIME;
    case LIBUSB_ERROR_BUSY:
      return EBUSY;
    case LIBUSB_ERROR_ACCESS:
      return EACCES;
    default:
      return EPROTO;
  }
}

}  // namespace


// What the open port holds, given back in the reverse order at close.
struct Ch341aAdapter::Handles {
  explicit Handles(LibusbCalls& library) : calls(library) {}
  ~Handles() {
    if (claimed) calls.ReleaseInterface(handle, kInterface);
    if (driver_detached) calls.AttachKernelDriver(handle, kInterface);
    if (handle != nullptr) calls.Close(handle);
    if (context != nullptr) calls.Exit(context);
  }
  Handles(const Handles&) = delete;
  Handles& operator=(const Handles&) = delete;

  // Opens the programmer, takes its interface and sets the speed; an error message or empty.
  std::string Take(const Ch341aSettings& settings);
  std::string OpenDevice(const std::string& where);
  std::string ClaimInterface();

  LibusbCalls& calls;
  std::string port_path;  // of the programmer opened
  libusb_context* context = nullptr;
  libusb_device_handle* handle = nullptr;
  bool claimed = false;
  bool driver_detached = false;
};

std::string Ch341aAdapter::Handles::OpenDevice(const std::string& where) {
  libusb_device** list = nullptr;
  const ssize_t count = calls.GetDeviceList(context, &list);
  if (count < 0) {
    return LibusbReason(static_cast<int>(count)) + " (listing the USB devices)";
  }
  std::string error;
  const std::vector<Candidate> candidates = Candidates(calls, list, count);
  libusb_device* device = Choose(candidates, where, error);
  if (device != nullptr) {
    for (const Candidate& candidate : candidates) {
      if (candidate.device == device) port_path = candidate.where;
    }
    if (const int opened = calls.Open(device, &handle); opened != 0) {
      handle = nullptr;
      error = OpenFailure(opened, port_path);
    }
  }
  calls.FreeDeviceList(list, 1);
  return error;
}

std::string Ch341aAdapter::Handles::ClaimInterface() {
  const std::string& where = port_path;
  if (calls.KernelDriverActive(handle, kInterface) == 1) {
    const int detached = calls.DetachKernelDriver(handle, kInterface);
    if (detached == 0) {
      driver_detached = true;
    } else if (detached != LIBUSB_ERROR_NOT_FOUND && detached != LIBUSB_ERROR_NOT_SUPPORTED) {
      return "a kernel driver holds the CH341A at USB port " + where +
             " and could not be detached (" + LibusbReason(detached) +
             "); unload it (rmmod spi_ch341, or the driver lsusb -t shows) or run as root";
    }
  }
  const int claimed_now = calls.ClaimInterface(handle, kInterface);
  if (claimed_now == 0) {
    claimed = true;
    return {};
  }
  if (claimed_now == LIBUSB_ERROR_BUSY) {
    return "the CH341A at USB port " + where +
           " is in use: another program or a kernel driver holds its interface; close that "
           "program (or unload the driver), then try again";
  }
  return LibusbReason(claimed_now) + " (claiming the CH341A's interface); " +
         (claimed_now == LIBUSB_ERROR_ACCESS ? UsbPermissionRemedy()
                                             : "unplug it and plug it in again");
}

std::unique_ptr<Ch341aAdapter> Ch341aAdapter::Open(const Ch341aSettings& settings,
                                                   std::string name, std::string& error,
                                                   LibusbCalls& calls) {
  auto handles = std::make_unique<Handles>(calls);
  if (const int started = calls.Init(&handles->context); started != 0) {
    handles->context = nullptr;
    error = LibusbReason(started) + " (starting libusb)";
    return nullptr;
  }
  error = handles->OpenDevice(settings.where);
  if (error.empty()) error = handles->ClaimInterface();
  if (!error.empty()) return nullptr;
  std::unique_ptr<Ch341aAdapter> adapter(new Ch341aAdapter(std::move(handles), std::move(name),
                                                           calls));
  const std::uint8_t speed[] = {ch341a::kStream,
                                static_cast<std::uint8_t>(ch341a::kSet | SpeedCode(settings.khz)),
                                ch341a::kEnd};
  if (const int set = adapter->Exchange(speed, {}); set != 0) {
    error = platform::ErrorText(set) + " (setting the CH341A's bus speed); " +
            (set == ENODEV ? std::string("it has been unplugged; ") + kPlugIn
                           : "unplug it and plug it in again");
    return nullptr;
  }
  // An answer a previous program left unread would be taken for this one's: read it away.
  adapter->Drain();
  adapter->wire_note_.clear();
  return adapter;
}

Ch341aAdapter::Ch341aAdapter(std::unique_ptr<Handles> handles, std::string name,
                             LibusbCalls& calls)
    : handles_(std::move(handles)), name_(std::move(name)), calls_(calls), opened_(calls.Now()) {}

Ch341aAdapter::~Ch341aAdapter() {
  // An answer a failed exchange left in the chip is read away before the interface goes back.
  if (unread_ && !gone_) Drain();
}

void Ch341aAdapter::Note(char direction, std::span<const std::uint8_t> bytes) {
  wire_note_ += direction;
  for (const std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned>(byte));
    wire_note_ += hex;
  }
  wire_note_ += '\n';
}

void Ch341aAdapter::Drain() {
  std::uint8_t stale[kCh341aPacketSize];
  int ignored = 0;
  calls_.BulkTransfer(handles_->handle, kBulkIn, stale, sizeof stale, &ignored,
                      kDrainTimeoutMilliseconds);
  unread_ = false;
}

int Ch341aAdapter::Exchange(std::span<const std::uint8_t> commands,
                            std::span<std::uint8_t> answer) {
  if (gone_) return ENODEV;
  // An exchange that failed may have left part of its answer in the chip.
  if (unread_) Drain();
  std::vector<std::uint8_t> out(commands.begin(), commands.end());
  int sent = 0;
  Note('>', commands);
  int result = calls_.BulkTransfer(handles_->handle, kBulkOut, out.data(),
                                   static_cast<int>(out.size()), &sent,
                                   kTransferTimeoutMilliseconds);
  if (result == 0 && sent != static_cast<int>(out.size())) result = LIBUSB_ERROR_IO;
  int error = result == 0 ? 0 : ErrnoOfLibusb(result);
  if (result == 0 && !answer.empty()) {
    // The answer comes as one packet: asking for a whole one shows when it holds more bytes than
    // the commands ask for, as well as fewer.
    std::uint8_t packet[kCh341aPacketSize];
    int received = 0;
    result = calls_.BulkTransfer(handles_->handle, kBulkIn, packet, sizeof packet, &received,
                                 kTransferTimeoutMilliseconds);
    if (received > 0) Note('<', std::span<const std::uint8_t>(packet, received));
    if (result != 0) {
      error = ErrnoOfLibusb(result);
    } else if (static_cast<std::size_t>(received) != answer.size()) {
      error = EBADMSG;
    } else {
      std::copy_n(packet, answer.size(), answer.begin());
    }
  }
  if (result == LIBUSB_ERROR_NO_DEVICE) gone_ = true;
  if (error != 0) unread_ = true;
  return error;
}

int Ch341aAdapter::Transfer(std::span<bus::I2cMessage> messages) {
  if (messages.empty()) return 0;
  const std::vector<Ch341aPacket> packets = Ch341aPackets(messages);
  if (packets.empty()) return EMSGSIZE;
  for (const Ch341aPacket& packet : packets) {
    std::uint8_t answer[kCh341aPacketSize];
    const std::span<std::uint8_t> expected(answer, packet.AnswerSize());
    if (const int error = Exchange(packet.commands, expected); error != 0) return error;
    // The chip carried on after a select not acknowledged; what it read then is not used.
    if (!TakeCh341aAnswer(packet, expected)) return ENXIO;
  }
  return 0;
}

std::string Ch341aAdapter::TakeWireNote() { return std::exchange(wire_note_, {}); }

std::uint64_t Ch341aAdapter::NowNanoseconds() const { return calls_.Now() - opened_; }

std::string Ch341aAdapter::Remedy(const bus::BusResult& result) const {
  if (result.fault == bus::BusFault::PortFailed) {
    switch (result.error_number) {
      case ENODEV:
        return "The CH341A has been unplugged; plug it in again (check with lsusb), then try "
               "again.";
      case ETIME:
        return "The CH341A did not answer within a second; unplug it and plug it in again.";
      case EBADMSG:
        return "The CH341A answered with another number of bytes than its commands ask for; "
               "unplug it and plug it in again, then try again.";
      default:
        return "Unplug the CH341A and plug it in again, then try again; dmesg shows what the "
               "USB stack reported.";
    }
  }
  return "Check the CH341A's clip or socket on the EEPROM (SDA to pin 5, SCL to pin 6, GND to "
         "pin 4), that the board is powered, and that the programmer's signal level suits the "
         "board (the common black CH341A board drives 5 V).";
}

}  // namespace ports
