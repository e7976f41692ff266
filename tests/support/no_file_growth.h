// SPDX-License-Identifier: GPL-3.0-or-later
// While a NoFileGrowth exists, no write of this process may reach past the file-size limit of 0
// (as under `ulimit -f 0`), and SIGXFSZ does not end the process: the write fails with EFBIG.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace test_support {

class NoFileGrowth {
 public:
  NoFileGrowth() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    saved_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved_;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
  }
  ~NoFileGrowth() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, saved_handler_);
  }
  NoFileGrowth(const NoFileGrowth&) = delete;
  NoFileGrowth& operator=(const NoFileGrowth&) = delete;

 private:
  rlimit saved_{};
  sighandler_t saved_handler_ = SIG_DFL;
};

}  // namespace test_support
