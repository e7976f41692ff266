// SPDX-License-Identifier: GPL-3.0-or-later
// ForwardingPort: a port that wraps another and hands it everything a port offers the bus
// connection (clock, name, taking and giving back, failures, advice). The trace recorders build on
// it and add what they watch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "bus/bus_result.h"

namespace bus {

// `Interface` is Port or I2cAdapter.
template <typename Interface>
class ForwardingPort : public Interface {
 public:
  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return inner_->NowNanoseconds(); }
  [[nodiscard]] std::string Name() const override { return inner_->Name(); }
  BusResult Acquire() override { return inner_->Acquire(); }
  void BeginOperation() override { inner_->BeginOperation(); }
  void Release() override { inner_->Release(); }
  BusResult TakeFailure() override { return inner_->TakeFailure(); }
  [[nodiscard]] std::string Remedy(const BusResult& result) const override {
    return inner_->Remedy(result);
  }

 protected:
  explicit ForwardingPort(std::unique_ptr<Interface> inner) : inner_(std::move(inner)) {}

  std::unique_ptr<Interface> inner_;
};

}  // namespace bus
