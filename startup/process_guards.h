// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up guards under their former names, for the windowed program until it includes
// platform/process_guards.h itself.
#pragma once

#include "platform/process_guards.h"

namespace bus {

using platform::GuardStandardDescriptors;
using platform::IgnoreOutputSignals;

}  // namespace bus
