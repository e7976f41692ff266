#include "bus/trace_port.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

// Times in both formats: T is the port's clock read just after the access returned, so in the
// VCD the levels an access left are in effect from its timestamp on. Timestamps strictly increase:
// an access whose reading does not exceed the previous one's (a coarse hardware clock) is placed
// 1 ns after it. The virtual board's clock moves 1 us per access, so there T is exact.

namespace bus {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kLongestRecord = 64;  // "#18446744073709551615\n" and three value changes

enum class Register : std::uint8_t { Data, Control, Status };

bool EndsWithVcd(std::string_view file) {
  if (file.size() < 4) {
    return false;
  }
  std::string_view suffix = file.substr(file.size() - 4);
  return suffix[0] == '.' && (suffix[1] == 'v' || suffix[1] == 'V') &&
         (suffix[2] == 'c' || suffix[2] == 'C') && (suffix[3] == 'd' || suffix[3] == 'D');
}

class TracePort final : public Port {
 public:
  TracePort(std::unique_ptr<Port> inner, std::string file, int fd, bool vcd)
      : inner_(std::move(inner)),
        file_(std::move(file)),
        fd_(fd),
        vcd_(vcd),
        knows_levels_(inner_->BusLevels().has_value()),
        last_time_(inner_->NowNanoseconds()) {
    WriteHeader();
  }

  ~TracePort() override {
    Flush();
    if (::close(fd_) != 0 && !failed_) {
      ReportFailure();
    }
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

  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return inner_->NowNanoseconds(); }
  void WaitUntil(std::uint64_t nanoseconds) override { inner_->WaitUntil(nanoseconds); }
  [[nodiscard]] std::optional<LineLevels> BusLevels() const override { return inner_->BusLevels(); }
  [[nodiscard]] std::string Name() const override { return inner_->Name(); }
  BusResult Acquire() override { return inner_->Acquire(); }
  void Release() override { inner_->Release(); }
  std::string TakeFailure() override { return inner_->TakeFailure(); }
  [[nodiscard]] std::string Remedy(const BusResult& result) const override {
    return inner_->Remedy(result);
  }

 private:
  // A wire of the VCD: its identifier code and its last written level (-1: not known yet).
  struct Wire {
    char code;
    int level;
  };

  void WriteHeader() {
    const std::string name = inner_->Name();
    if (!vcd_) {
      Append("# port trace of ");
      Append(name);
      Append("\n# one line per access: T W|R data|control|status VALUE (two hexadecimal digits)\n");
      Append("# T: nanoseconds of the port's clock since it was opened (simulated time on the\n");
      Append("#    virtual board), read just after the access\n");
      return;
    }
    Append("$version plover port trace $end\n$comment port ");
    Append(name);
    Append(knows_levels_ ? "; scl and sda are the bus levels"
                         : "; scl and sda are the levels the port drives, sda_sense the level "
                           "sensed at each status read");
    Append("; one timestamp per access, the port's clock just after it $end\n");
    Append("$timescale 1ns $end\n$scope module bus $end\n");
    Append("$var wire 1 c scl $end\n$var wire 1 d sda $end\n");
    if (!knows_levels_) {
      Append("$var wire 1 s sda_sense $end\n");
    }
    Append("$upscope $end\n$enddefinitions $end\n#");
    if (used_ > kBufferSize - kLongestRecord) {
      Flush();
    }
    AppendDecimal(last_time_);
    Append("\n$dumpvars\n");
    if (knows_levels_) {
      const LineLevels levels = *inner_->BusLevels();
      scl_.level = levels.scl ? 1 : 0;
      sda_.level = levels.sda ? 1 : 0;
    }
    AppendLevel(scl_);
    AppendLevel(sda_);
    if (!knows_levels_) {
      AppendLevel(sense_);
    }
    Append("$end\n");
  }

  void Record(Register reg, std::uint8_t value) {
    std::uint64_t time = inner_->NowNanoseconds();
    if (time <= last_time_) {
      time = last_time_ + 1;
    }
    last_time_ = time;
    if (used_ > kBufferSize - kLongestRecord) {
      Flush();
    }
    if (vcd_) {
      buffer_[used_++] = '#';
      AppendDecimal(time);
      buffer_[used_++] = '\n';
      if (knows_levels_) {
        const LineLevels levels = *inner_->BusLevels();
        Change(scl_, levels.scl);
        Change(sda_, levels.sda);
      } else if (reg == Register::Data) {
        Change(sda_, (value & kDataSdaBit) != 0);
      } else if (reg == Register::Control) {
        Change(scl_, (value & kControlSclBit) != 0);
      } else {
        Change(sense_, (value & kStatusSdaBit) != 0);
      }
      return;
    }
    static constexpr std::string_view kAccess[] = {" W data ", " W control ", " R status "};
    static constexpr char kHex[] = "0123456789abcdef";
    AppendDecimal(time);
    Append(kAccess[static_cast<int>(reg)]);
    buffer_[used_++] = kHex[value >> 4];
    buffer_[used_++] = kHex[value & 0x0F];
    buffer_[used_++] = '\n';
  }

  void Change(Wire& wire, bool high) {
    const int level = high ? 1 : 0;
    if (wire.level != level) {
      wire.level = level;
      AppendLevel(wire);
    }
  }

  void AppendLevel(const Wire& wire) {
    buffer_[used_++] = wire.level < 0 ? 'x' : static_cast<char>('0' + wire.level);
    buffer_[used_++] = wire.code;
    buffer_[used_++] = '\n';
  }

  // The hot path of the recorder: the digits go straight into the buffer from the last one back,
  // two per step, in 32-bit arithmetic where the number allows.
  void AppendDecimal(std::uint64_t value) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    std::size_t length = 1;
    for (std::uint64_t limit = 10; length < 20 && value >= limit; limit *= 10) {
      ++length;
    }
    char* end = buffer_.get() + used_ + length;
    used_ += length;
    auto put_pair = [&end](std::uint32_t pair) {
      *--end = kPairs[2 * pair + 1];
      *--end = kPairs[2 * pair];
    };
    while (value >= 100'000'000) {
      auto low = static_cast<std::uint32_t>(value % 100'000'000);
      value /= 100'000'000;
      for (int i = 0; i < 4; ++i) {
        put_pair(low % 100);
        low /= 100;
      }
    }
    auto rest = static_cast<std::uint32_t>(value);
    while (rest >= 100) {
      put_pair(rest % 100);
      rest /= 100;
    }
    if (rest >= 10) {
      put_pair(rest);
    } else {
      *--end = static_cast<char>('0' + rest);
    }
  }

  // For the header and the fixed words of a line; long texts are flushed through.
  void Append(std::string_view text) {
    while (!text.empty()) {
      if (used_ == kBufferSize) {
        Flush();
      }
      const std::size_t part = std::min(text.size(), kBufferSize - used_);
      std::memcpy(buffer_.get() + used_, text.data(), part);
      used_ += part;
      text.remove_prefix(part);
    }
  }

  // Writes the buffer out. After a failed write (a full disk) the trace records nothing more,
  // and says so once on standard error: the bus operations themselves go on unharmed.
  void Flush() {
    std::size_t written = 0;
    while (written < used_ && !failed_) {
      const ssize_t count = ::write(fd_, buffer_.get() + written, used_ - written);
      if (count > 0) {
        written += static_cast<std::size_t>(count);
      } else if (count == 0 || errno != EINTR) {
        if (count == 0) errno = EIO;
        ReportFailure();
      }
    }
    used_ = 0;
  }

  void ReportFailure() {
    failed_ = true;
    std::fprintf(stderr, "cannot write trace file %s: %s; the trace is incomplete\n",
                 file_.c_str(), std::strerror(errno));
  }

  std::unique_ptr<Port> inner_;
  std::string file_;
  int fd_;
  bool vcd_;
  bool knows_levels_;
  bool failed_ = false;
  std::uint64_t last_time_;
  Wire scl_{'c', -1};
  Wire sda_{'d', -1};
  Wire sense_{'s', -1};
  std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kBufferSize);
  std::size_t used_ = 0;
};

}  // namespace

TraceOpenResult OpenTrace(std::unique_ptr<Port> inner, const std::string& file) {
  TraceOpenResult result;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    result.error = "cannot create trace file " + file + ": " + std::strerror(errno);
    return result;
  }
  result.port = std::make_unique<TracePort>(std::move(inner), file, fd, EndsWithVcd(file));
  return result;
}

}  // namespace bus
