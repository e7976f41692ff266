// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/batch_operations.h"

#include "bus/probe_lines.h"
#include "console/image_comparison.h"
#include "console/page_size_advice.h"
#include "console/progress_line.h"
#include "image_files/image_file.h"
#include "image_files/safe_replace.h"
#include "image_files/shown_file_name.h"

namespace console {

namespace {

// A message is one line whatever a port's reason or a file name contained.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

void Fail(BatchContext& context, const std::string& text) {
  context.err.Write("30p: " + OneLine(text) + "\n");
  if (context.record == nullptr) return;
  std::string& failure = context.record->failure;
  failure += (failure.empty() ? "" : "; ") + OneLine(text);
}

// The image a file gives, its addresses the file does not hold erased.
bus::Image ImageOf(const image_files::PartialImage& file) {
  bus::Image image = file.bytes;
  for (std::size_t address = 0; address < image.size(); ++address) {
    if (!file.held[address]) image[address] = 0xFF;
  }
  return image;
}

void Record(BatchContext& context, const image_files::PartialImage& file,
            const bus::AddressSet& written, const bus::AddressSet& differed) {
  if (context.record == nullptr) return;
  context.record->image = ImageOf(file);
  context.record->written = written;
  context.record->differed = differed;
}

void Done(BatchContext& context, const std::string& text) {
  if (!context.quiet) context.err.Write(text + "\n");
}

// "--read out.hex: " before the cause of a failed bus operation.
std::string Where(const char* option, const std::string& name) {
  return std::string(option) + " " + image_files::ShownFileName(name) + ": ";
}

std::string Count(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "EEPROM differs from FILE at 3 of 128 addresses", after the lines that name them.
void ReportDifferences(BatchContext& context, const std::string& name,
                       const image_files::PartialImage& file, const bus::Image& eeprom,
                       const bus::AddressSet& differing, const std::string& after) {
  context.out.Write(DifferenceLines(file, eeprom, differing));
  context.out.Flush();
  Fail(context, "EEPROM differs from " + image_files::ShownFileName(name) + " at " +
                    std::to_string(differing.count()) + " of " +
                    Count(file.held.count(), "address", "addresses") + after);
}

std::string PhaseText(WritePhase phase, std::size_t done, std::size_t total) {
  switch (phase) {
    case WritePhase::Reading:
      return "reading the EEPROM";
    case WritePhase::Writing:
      return "writing " + std::to_string(done) + "/" + std::to_string(total);
    case WritePhase::Verifying:
      return "verifying";
  }
  return {};
}

bool ReadInto(BatchContext& context, const char* option, const std::string& name,
              image_files::ImageFormat format, bus::BusResult (ConsoleBus::*read)(bus::Image&),
              const std::string& done) {
  bus::Image image{};
  const bus::BusResult result = (context.bus.*read)(image);
  if (!result.ok()) {
    Fail(context, Where(option, name) + bus::DescribeBusResult(result));
    return false;
  }
  if (context.record != nullptr) context.record->image = image;
  if (const std::string error =
          image_files::ReplaceFile(name, image_files::EncodeImage(image, format, "30p"));
      !error.empty()) {
    Fail(context, error);
    return false;
  }
  Done(context, done + image_files::ShownFileName(name));
  return true;
}

}  // namespace

bool RunWrite(BatchContext& context, const std::string& name, const image_files::PartialImage& file,
              const BatchWriteSettings& settings) {
  ProgressLine progress(context.err, context.progress && !context.quiet);
  const BatchWriteOutcome outcome = WriteImageFile(
      context.bus, file, settings, [&](WritePhase phase, std::size_t done, std::size_t total) {
        progress.Show(PhaseText(phase, done, total));
      });
  progress.Clear();
  Record(context, file, outcome.written_addresses, outcome.mismatched);
  const std::string bytes = Count(outcome.written, "byte", "bytes");
  if (!outcome.result.ok()) {
    Fail(context, "--write " + image_files::ShownFileName(name) + " stopped after writing " +
                      bytes + ": " + bus::DescribeBusResult(outcome.result));
    return false;
  }
  if (outcome.mismatched.any()) {
    ReportDifferences(context, name, file, outcome.read_back, outcome.mismatched,
                      " after writing " + bytes +
                          PageSizeHint({.page_size = settings.page_size,
                                        .image = &file.bytes,
                                        .written = outcome.written_addresses,
                                        .before = outcome.before ? &*outcome.before : nullptr,
                                        .read_back = &outcome.read_back}));
    return false;
  }
  Done(context, "wrote " + bytes +
                    (outcome.verified ? ", verified " + std::to_string(file.held.count())
                                      : ", not verified"));
  return true;
}

bool RunVerify(BatchContext& context, const std::string& name,
               const image_files::PartialImage& file) {
  bus::Image eeprom{};
  const bus::BusResult result = context.bus.ReadEeprom(eeprom);
  if (!result.ok()) {
    Fail(context, Where("--verify", name) + bus::DescribeBusResult(result));
    return false;
  }
  const bus::AddressSet differing = DifferingAddresses(file, eeprom);
  Record(context, file, {}, differing);
  if (differing.any()) {
    ReportDifferences(context, name, file, eeprom, differing, "");
    return false;
  }
  Done(context,
       "EEPROM matches " + image_files::ShownFileName(name) +
           (file.Complete()
                ? std::string()
                : " at the " + Count(file.held.count(), "address", "addresses") + " it holds"));
  return true;
}

bool RunRead(BatchContext& context, const std::string& name, image_files::ImageFormat format) {
  return ReadInto(context, "--read", name, format, &ConsoleBus::ReadEeprom,
                  "read the EEPROM into ");
}

bool RunReadSwitch(BatchContext& context, const std::string& name,
                   image_files::ImageFormat format) {
  return ReadInto(context, "--read-switch", name, format, &ConsoleBus::DumpSwitchRegisters,
                  "read the switch chip's registers into ");
}

bool RunProbe(BatchContext& context) {
  const bus::ProbeReport report = context.bus.Probe();
  const std::string where = bus::ProbeFoundNoPort(report) ? "--probe: " : "";
  for (const bus::ProbeLine& line : bus::DescribeProbe(report)) {
    if (line.good) {
      Done(context, line.text);
    } else {
      Fail(context, where + line.text);
    }
  }
  return report.AllAnswer();
}

}  // namespace console
