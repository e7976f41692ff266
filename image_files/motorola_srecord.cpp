// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/motorola_srecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "image_files/record_image_builder.h"
#include "image_files/record_text.h"

namespace image_files {

namespace {

enum class Kind { Header, Data, Count, Termination };

struct TypeInfo {
  Kind kind;
  std::size_t address_bytes;
};

constexpr std::size_t kBytesPerRecord = 16;

struct Record {
  char type = '0';
  TypeInfo info{};
  std::uint64_t address = 0;
  std::span<const std::uint8_t> data;
};

// The record types by their digit; S4 is none.
constexpr std::array<std::optional<TypeInfo>, 10> kTypes{
    TypeInfo{Kind::Header, 2},
    TypeInfo{Kind::Data, 2},
    TypeInfo{Kind::Data, 3},
    TypeInfo{Kind::Data, 4},
    std::nullopt,
    TypeInfo{Kind::Count, 2},
    TypeInfo{Kind::Count, 3},
    TypeInfo{Kind::Termination, 4},
    TypeInfo{Kind::Termination, 3},
    TypeInfo{Kind::Termination, 2},
};

// The record type a character names; false for S4 and anything that is not a digit.
bool InfoOf(char type, TypeInfo& info) {
  if (type < '0' || type > '9' || !kTypes[static_cast<std::size_t>(type - '0')]) {
    return false;
  }
  info = *kTypes[static_cast<std::size_t>(type - '0')];
  return true;
}

// The ones' complement of the low byte of the sum of `bytes`.
std::uint8_t ChecksumOf(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t byte : bytes) sum += byte;
  return static_cast<std::uint8_t>(~sum & 0xFF);
}

std::string TypeFault(char type) {
  if (type == '4') {
    return "S4 is not an S-record type";
  }
  return "the record type " + ShownCharacter(type) + " is not one of S0 to S9";
}

// Checks the frame of one record (S and type, digits, byte count, checksum); `bytes` keeps the
// decoded bytes the returned record's data points into. An empty fault text means well formed.
std::string DecodeRecord(std::string_view line, std::vector<std::uint8_t>& bytes, Record& record) {
  if (line.front() != 'S') {
    return "a record begins with 'S', this line begins with " + ShownCharacter(line.front());
  }
  if (line.size() < 2) {
    return "the line ends after 'S', before the record type";
  }
  record.type = line[1];
  if (!InfoOf(record.type, record.info)) {
    return TypeFault(record.type);
  }
  HexDecode decoded = DecodeHexDigits(line.substr(2), 3);
  if (!decoded.fault.empty()) {
    return decoded.fault;
  }
  bytes = std::move(decoded.bytes);
  const std::size_t least = 1 + record.info.address_bytes + 1;  // count, address, checksum
  if (bytes.size() < least) {
    return "the record has " + CountOf(bytes.size(), "byte") + "; an S" + record.type +
           " record has at least " + std::to_string(least) + " (count, address, checksum)";
  }
  const std::size_t count = bytes[0];
  if (bytes.size() != count + 1) {
    return "the byte count is " + std::to_string(count) + ", the record has " +
           CountOf(bytes.size() - 1, "byte") + " after it";
  }
  const std::span<const std::uint8_t> all(bytes);
  const std::uint8_t expected = ChecksumOf(all.first(all.size() - 1));
  if (bytes.back() != expected) {
    return "checksum is " + HexValue(bytes.back()) + ", the record's bytes make " +
           HexValue(expected);
  }
  for (std::size_t i = 0; i < record.info.address_bytes; ++i) {
    record.address = record.address << 8 | bytes[1 + i];
  }
  record.data = all.subspan(1 + record.info.address_bytes, count - record.info.address_bytes - 1);
  return {};
}

// Appends one record with a 16-bit address field (S0, S1, S5, S9) and its line end.
void AppendRecord(std::string& text, char type, std::uint16_t address,
                  std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(data.size() + 4);
  bytes.push_back(static_cast<std::uint8_t>(data.size() + 3));  // address, data, checksum
  bytes.push_back(static_cast<std::uint8_t>(address >> 8));
  bytes.push_back(static_cast<std::uint8_t>(address & 0xFF));
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(ChecksumOf(bytes));
  text += 'S';
  text += type;
  for (std::uint8_t byte : bytes) AppendHexByte(text, byte);
  text += '\n';
}

// What the reader has seen so far.
struct Progress {
  RecordImageBuilder builder;
  std::uint64_t data_records = 0;
  int count_line = 0;        // the latest count record's line
  int termination_line = 0;  // the termination record's line, once it has come
  int last_line = 0;         // the last line with a record on it
};

// Takes one well-formed record; returns a fault text or an empty one.
std::string TakeRecord(const Record& record, int line, Progress& seen) {
  switch (record.info.kind) {
    case Kind::Header:
      return {};
    case Kind::Data:
      if (seen.count_line != 0) {
        return "a data record after the count record on line " + std::to_string(seen.count_line);
      }
      ++seen.data_records;
      return seen.builder.Place(record.address, record.data, line);
    case Kind::Count:
      if (!record.data.empty()) {
        return std::string("an S") + record.type +
               " count record carries no data, this one carries " +
               CountOf(record.data.size(), "byte");
      }
      if (record.address != seen.data_records) {
        return "the count record says " + CountOf(record.address, "data record") +
               ", the file has " + std::to_string(seen.data_records) + " before it";
      }
      seen.count_line = line;
      return {};
    case Kind::Termination:
      if (!record.data.empty()) {
        return std::string("an S") + record.type +
               " termination record carries no data, this one carries " +
               CountOf(record.data.size(), "byte");
      }
      seen.termination_line = line;
      return {};
  }
  return {};
}

}  // namespace

RecordFileParse ParseSRecord(std::string_view text) {
  Progress seen;
  std::vector<std::uint8_t> bytes;
  for (const TextLine& line : SplitLines(text)) {
    if (line.text.empty()) {
      continue;
    }
    if (seen.termination_line != 0) {
      return RecordFileParse::Fault(line.number,
                                    "only blank lines may follow the termination record on line " +
                                        std::to_string(seen.termination_line));
    }
    seen.last_line = line.number;
    Record record;
    std::string fault = DecodeRecord(line.text, bytes, record);
    if (fault.empty()) fault = TakeRecord(record, line.number, seen);
    if (!fault.empty()) {
      return RecordFileParse::Fault(line.number, std::move(fault));
    }
  }
  if (seen.last_line == 0) {
    return RecordFileParse::Fault(0, "the file holds no records");
  }
  const bool ends_with_count = seen.count_line == seen.last_line;
  if (seen.termination_line == 0 && !ends_with_count) {
    return RecordFileParse::Fault(
        seen.last_line,
        "the file ends after this line without a termination record (S7, S8 or S9) or "
        "a count record (S5, S6)");
  }
  if (seen.builder.Image().held.none()) {
    return RecordFileParse::Fault(seen.last_line, "the file ends here without giving any data");
  }
  return {seen.builder.Image(), 0, {}};
}

std::string WriteSRecord(const bus::Image& image, std::string_view header) {
  const std::span<const std::uint8_t> all(image);
  std::string text;
  AppendRecord(text, '0', 0x0000,
               std::span(reinterpret_cast<const std::uint8_t*>(header.data()), header.size()));
  std::uint16_t data_records = 0;
  for (std::size_t address = 0; address < image.size(); address += kBytesPerRecord) {
    AppendRecord(text, '1', static_cast<std::uint16_t>(address),
                 all.subspan(address, kBytesPerRecord));
    ++data_records;
  }
  AppendRecord(text, '5', data_records, {});
  AppendRecord(text, '9', 0x0000, {});
  return text;
}

}  // namespace image_files
