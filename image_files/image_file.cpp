// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/image_file.h"

#include <string_view>
#include <vector>

#include "image_files/bounded_file_read.h"
#include "image_files/intel_hex.h"
#include "image_files/motorola_srecord.h"
#include "image_files/shown_file_name.h"

namespace image_files {

namespace {

ImageFileRead ParseRaw(const std::string& name, std::string_view bytes) {
  if (bytes.size() != bus::kEepromSize) {
    return {std::nullopt, ShownFileName(name) + " holds " + std::to_string(bytes.size()) +
                              " bytes; a raw image file holds exactly 128"};
  }
  PartialImage image;
  for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
    image.bytes[address] = static_cast<std::uint8_t>(bytes[address]);
  }
  image.held.set();
  return {image, {}};
}

ImageFileRead FromRecordParse(const std::string& name, const RecordFileParse& parse) {
  if (parse.image) {
    return {parse.image, {}};
  }
  std::string where = ShownFileName(name);
  if (parse.line > 0) {
    where += " line " + std::to_string(parse.line);
  }
  return {std::nullopt, where + ": " + parse.fault};
}

}  // namespace

ImageFileRead ReadImageFile(const std::string& name, ImageFormat format) {
  const FileContents contents = ReadBoundedFile(name, kImageFileLimit);
  if (!contents.bytes) {
    return {std::nullopt, contents.error};
  }
  return DecodeImageFile(name, *contents.bytes, format);
}

ImageFileRead DecodeImageFile(const std::string& name, std::string_view bytes, ImageFormat format) {
  switch (format) {
    case ImageFormat::Raw:
      return ParseRaw(name, bytes);
    case ImageFormat::IntelHex:
      return FromRecordParse(name, ParseIntelHex(bytes));
    case ImageFormat::SRecord:
      return FromRecordParse(name, ParseSRecord(bytes));
  }
  return {std::nullopt, ShownFileName(name) + ": unknown file format"};
}

std::string HeldAddressRanges(const PartialImage& image) {
  std::vector<std::string> ranges;
  for (std::size_t first = 0; first < bus::kEepromSize; ++first) {
    if (!image.held[first]) continue;
    std::size_t last = first;
    while (last + 1 < bus::kEepromSize && image.held[last + 1]) ++last;
    ranges.push_back(last == first ? std::to_string(first)
                                   : std::to_string(first) + "-" + std::to_string(last));
    first = last;
  }
  std::string text;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (i > 0) text += i + 1 == ranges.size() ? " and " : ", ";
    text += ranges[i];
  }
  return text;
}

std::string EncodeImage(const bus::Image& image, ImageFormat format, std::string_view writer) {
  switch (format) {
    case ImageFormat::Raw:
      return std::string(image.begin(), image.end());
    case ImageFormat::IntelHex:
      return WriteIntelHex(image);
    case ImageFormat::SRecord:
      return WriteSRecord(image, writer);
  }
  return std::string(image.begin(), image.end());
}

}  // namespace image_files
