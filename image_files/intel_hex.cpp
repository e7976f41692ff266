// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/intel_hex.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "image_files/record_image_builder.h"
#include "image_files/record_text.h"

namespace image_files {

namespace {

enum RecordType : std::uint8_t {
  kData = 0x00,
  kEndOfFile = 0x01,
  kExtendedSegmentAddress = 0x02,
  kStartSegmentAddress = 0x03,
  kExtendedLinearAddress = 0x04,
  kStartLinearAddress = 0x05,
};

constexpr std::size_t kFrameBytes = 5;  // byte count, address (2), type, checksum
constexpr std::size_t kBytesPerRecord = 16;

struct Record {
  std::uint8_t type = 0;
  std::uint16_t address = 0;
  std::span<const std::uint8_t> data;
};

// The checksum that makes the sum of `bytes` and it 0 modulo 256.
std::uint8_t ChecksumOf(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t byte : bytes) sum += byte;
  return static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

// Checks the frame of one record (colon, digits, length, checksum); `bytes` keeps the decoded
// bytes the returned record's data points into. An empty fault text means it is well formed.
std::string DecodeRecord(std::string_view line, std::vector<std::uint8_t>& bytes, Record& record) {
  if (line.front() != ':') {
    return "a record begins with ':', this line begins with " + ShownCharacter(line.front());
  }
  HexDecode decoded = DecodeHexDigits(line.substr(1), 2);
  if (!decoded.fault.empty()) {
    return decoded.fault;
  }
  bytes = std::move(decoded.bytes);
  if (bytes.size() < kFrameBytes) {
    return "the record has " + CountOf(bytes.size(), "byte") +
           "; even one without data has 5 (count, address, type, checksum)";
  }
  const std::size_t count = bytes[0];
  if (bytes.size() != count + kFrameBytes) {
    return "the byte count says " + CountOf(count, "data byte") + ", the record holds " +
           std::to_string(bytes.size() - kFrameBytes);
  }
  const std::span<const std::uint8_t> all(bytes);
  const std::uint8_t expected = ChecksumOf(all.first(all.size() - 1));
  if (bytes.back() != expected) {
    return "checksum is " + HexValue(bytes.back()) + ", the record's bytes make " +
           HexValue(expected);
  }
  record.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
  record.type = bytes[3];
  record.data = all.subspan(4, count);
  return {};
}

// The data length a record of `type` must have; -1 for any length, -2 for an unknown type.
int RequiredLength(std::uint8_t type) {
  switch (type) {
    case kData:
      return -1;
    case kEndOfFile:
      return 0;
    case kExtendedSegmentAddress:
    case kExtendedLinearAddress:
      return 2;
    case kStartSegmentAddress:
    case kStartLinearAddress:
      return 4;
    default:
      return -2;
  }
}

std::string CheckLength(const Record& record) {
  const int required = RequiredLength(record.type);
  if (required == -2) {
    return "record type " + HexValue(record.type) + " is not an Intel HEX record type (00 to 05)";
  }
  if (required >= 0 && record.data.size() != static_cast<std::size_t>(required)) {
    return "a type " + HexValue(record.type) + " record carries " +
           CountOf(static_cast<std::size_t>(required), "data byte") + ", this one carries " +
           std::to_string(record.data.size());
  }
  return {};
}

// Appends one record and its line end.
void AppendRecord(std::string& text, RecordType type, std::uint16_t address,
                  std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(data.size() + kFrameBytes);
  bytes.push_back(static_cast<std::uint8_t>(data.size()));
  bytes.push_back(static_cast<std::uint8_t>(address >> 8));
  bytes.push_back(static_cast<std::uint8_t>(address & 0xFF));
  bytes.push_back(type);
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(ChecksumOf(bytes));
  text += ':';
  for (std::uint8_t byte : bytes) AppendHexByte(text, byte);
  text += '\n';
}

}  // namespace

RecordFileParse ParseIntelHex(std::string_view text) {
  RecordImageBuilder builder;
  std::uint64_t base = 0;  // from the latest extended address record
  int end_line = 0;        // the end record's line, once it has come
  int last_line = 0;       // the last line with a record on it
  std::vector<std::uint8_t> bytes;
  for (const TextLine& line : SplitLines(text)) {
    if (line.text.empty()) {
      continue;
    }
    if (end_line != 0) {
      return RecordFileParse::Fault(
          line.number,
          "only blank lines may follow the end record on line " + std::to_string(end_line));
    }
    last_line = line.number;
    Record record;
    std::string fault = DecodeRecord(line.text, bytes, record);
    if (fault.empty()) fault = CheckLength(record);
    if (!fault.empty()) {
      return RecordFileParse::Fault(line.number, std::move(fault));
    }
    switch (record.type) {
      case kData:
        fault = builder.Place(base + record.address, record.data, line.number);
        break;
      case kEndOfFile:
        end_line = line.number;
        break;
      case kExtendedSegmentAddress:
        base = static_cast<std::uint64_t>(record.data[0] << 8 | record.data[1]) << 4;
        break;
      case kExtendedLinearAddress:
        base = static_cast<std::uint64_t>(record.data[0] << 8 | record.data[1]) << 16;
        break;
      default:
        break;  // a start address says where a program begins; the EEPROM has none
    }
    if (!fault.empty()) {
      return RecordFileParse::Fault(line.number, std::move(fault));
    }
  }
  if (last_line == 0) {
    return RecordFileParse::Fault(0, "the file holds no records");
  }
  if (end_line == 0) {
    return RecordFileParse::Fault(last_line,
                                  "the file ends after this line without the end record (type 01)");
  }
  if (builder.Image().held.none()) {
    return RecordFileParse::Fault(end_line, "the file ends here without giving any data");
  }
  return {builder.Image(), 0, {}};
}

std::string WriteIntelHex(const bus::Image& image) {
  const std::span<const std::uint8_t> all(image);
  std::string text;
  for (std::size_t address = 0; address < image.size(); address += kBytesPerRecord) {
    AppendRecord(text, kData, static_cast<std::uint16_t>(address),
                 all.subspan(address, kBytesPerRecord));
  }
  AppendRecord(text, kEndOfFile, 0x0000, {});
  return text;
}

}  // namespace image_files
