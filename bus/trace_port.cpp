// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/trace_port.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "bus/forwarding_port.h"
#include "bus/trace_decimal.h"
#include "bus/trace_file.h"

// Times in both formats: T is the port's clock read just after the access returned, so in the
// VCD the levels an access left are in effect from its timestamp on. Timestamps strictly increase:
// an access whose reading does not exceed the previous one's (a coarse hardware clock) is placed
// 1 ns after it. The virtual board's clock moves 1 us per access, so there T is exact.

namespace bus {
namespace {

enum class Register : std::uint8_t { Data, Control, Status };

bool EndsWithVcd(std::string_view file) {
  if (file.size() < 4) {
    return false;
  }
  std::string_view suffix = file.substr(file.size() - 4);
  return suffix[0] == '.' && (suffix[1] == 'v' || suffix[1] == 'V') &&
         (suffix[2] == 'c' || suffix[2] == 'C') && (suffix[3] == 'd' || suffix[3] == 'D');
}

// Copies `text` (short, a fixed word of a record) to `out` and moves it on.
void Put(char*& out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  out += text.size();
}

class TracePort final : public ForwardingPort<Port> {
 public:
  TracePort(std::unique_ptr<Port> inner, std::unique_ptr<TraceFile> file, bool vcd)
      : ForwardingPort<Port>(std::move(inner)),
        file_(std::move(file)),
        vcd_(vcd),
        knows_levels_(inner_->BusLevels().has_value()),
        last_time_(inner_->NowNanoseconds()) {
    WriteHeader();
  }

  TracePort(const TracePort&) = delete;
  TracePort& operator=(const TracePort&) = delete;

  void WriteData(std::uint8_t value) override {
    inner_->WriteData(value);
    Record(Register::Data, value);
  }

  void WriteControl(std::uint8_t value) override {
    inner_->WriteControl(value);
    Record(Register::Control, value);
  }

  std::uint8_t ReadStatus() override {
    const std::uint8_t value = inner_->ReadStatus();
    Record(Register::Status, value);
    return value;
  }

  void WaitUntil(std::uint64_t nanoseconds) override { inner_->WaitUntil(nanoseconds); }
  [[nodiscard]] std::optional<LineLevels> BusLevels() const override { return inner_->BusLevels(); }

 private:
  // A wire of the VCD: its identifier code and its last written level (-1: not known yet).
  struct Wire {
    char code;
    int level;
  };

  void WriteHeader() {
    const std::string name = inner_->Name();
    if (!vcd_) {
      file_->Append("# port trace of ");
      file_->Append(name);
      file_->Append(
          "\n# one line per access: T W|R data|control|status VALUE (two hexadecimal digits)\n");
      file_->Append("# T: nanoseconds of the port's clock since it was opened (simulated time on "
                    "the\n");
      file_->Append("#    virtual board), read just after the access\n");
      return;
    }
    file_->Append("$version plover port trace $end\n$comment port ");
    file_->Append(name);
    file_->Append(knows_levels_ ? "; scl and sda are the bus levels"
                                : "; scl and sda are the levels the port drives, sda_sense the "
                                  "level sensed at each status read");
    file_->Append("; one timestamp per access, the port's clock just after it $end\n");
    file_->Append("$timescale 1ns $end\n$scope module bus $end\n");
    file_->Append("$var wire 1 c scl $end\n$var wire 1 d sda $end\n");
    if (!knows_levels_) {
      file_->Append("$var wire 1 s sda_sense $end\n");
    }
    file_->Append("$upscope $end\n$enddefinitions $end\n");
    char* const start = file_->Room(TraceFile::kLongestRecord);
    char* out = start;
    *out++ = '#';
    AppendDecimal(out, last_time_);
    Put(out, "\n$dumpvars\n");
    if (knows_levels_) {
      const LineLevels levels = *inner_->BusLevels();
      scl_.level = levels.scl ? 1 : 0;
      sda_.level = levels.sda ? 1 : 0;
    }
    AppendLevel(out, scl_);
    AppendLevel(out, sda_);
    if (!knows_levels_) {
      AppendLevel(out, sense_);
    }
    Put(out, "$end\n");
    file_->Advance(static_cast<std::size_t>(out - start));
  }

  // The hot path of the recorder: one record goes straight into the file's buffer.
  void Record(Register reg, std::uint8_t value) {
    std::uint64_t time = inner_->NowNanoseconds();
    if (time <= last_time_) {
      time = last_time_ + 1;
    }
    last_time_ = time;
    char* const start = file_->Room(TraceFile::kLongestRecord);
    char* out = start;
    if (vcd_) {
      *out++ = '#';
      AppendDecimal(out, time);
      *out++ = '\n';
      if (knows_levels_) {
        const LineLevels levels = *inner_->BusLevels();
        Change(out, scl_, levels.scl);
        Change(out, sda_, levels.sda);
      } else if (reg == Register::Data) {
        Change(out, sda_, (value & kDataSdaBit) != 0);
      } else if (reg == Register::Control) {
        Change(out, scl_, (value & kControlSclBit) != 0);
      } else {
        Change(out, sense_, (value & kStatusSdaBit) != 0);
      }
    } else {
      static constexpr std::string_view kAccess[] = {" W data ", " W control ", " R status "};
      static constexpr char kHex[] = "0123456789abcdef";
      AppendDecimal(out, time);
      Put(out, kAccess[static_cast<int>(reg)]);
      *out++ = kHex[value >> 4];
      *out++ = kHex[value & 0x0F];
      *out++ = '\n';
    }
    file_->Advance(static_cast<std::size_t>(out - start));
    // A remark of the port about the bus (a timing violation the virtual board saw) goes in as a
    // comment after the access that made it.
    if (const std::string note = inner_->TakeNote(); !note.empty()) {
      file_->Append(vcd_ ? "$comment " + note + " $end\n" : "# " + note + "\n");
    }
  }

  static void Change(char*& out, Wire& wire, bool high) {
    const int level = high ? 1 : 0;
    if (wire.level != level) {
      wire.level = level;
      AppendLevel(out, wire);
    }
  }

  static void AppendLevel(char*& out, const Wire& wire) {
    *out++ = wire.level < 0 ? 'x' : static_cast<char>('0' + wire.level);
    *out++ = wire.code;
    *out++ = '\n';
  }

  std::unique_ptr<TraceFile> file_;
  bool vcd_;
  bool knows_levels_;
  std::uint64_t last_time_;
  Wire scl_{'c', -1};
  Wire sda_{'d', -1};
  Wire sense_{'s', -1};
};

}  // namespace

bool IsVcdTraceName(std::string_view file) { return EndsWithVcd(file); }

TraceOpenResult OpenTrace(std::unique_ptr<Port> inner, const std::string& file) {
  TraceOpenResult result;
  std::unique_ptr<TraceFile> trace = TraceFile::Open(file, result.error);
  if (!trace) {
    return result;
  }
  result.port = std::make_unique<TracePort>(std::move(inner), std::move(trace), EndsWithVcd(file));
  return result;
}

}  // namespace bus
