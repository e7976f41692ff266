// SPDX-License-Identifier: GPL-3.0-or-later
// The calls a seam of the backends is driven through: the real ones, or, while a test holds a
// CallsOverride, that test's fake, so every row of the table can be opened on a fake system.
#pragma once

namespace ports {

template <typename Calls>
class CallsOverride {
 public:
  explicit CallsOverride(Calls& calls) : previous_(Slot()) { Slot() = &calls; }
  ~CallsOverride() { Slot() = previous_; }
  CallsOverride(const CallsOverride&) = delete;
  CallsOverride& operator=(const CallsOverride&) = delete;

  // The fake a test holds, else `real`.
  [[nodiscard]] static Calls& InUse(Calls& real) { return Slot() != nullptr ? *Slot() : real; }

 private:
  static Calls*& Slot() {
    static Calls* slot = nullptr;
    return slot;
  }
  Calls* previous_;
};

}  // namespace ports
