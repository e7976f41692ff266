// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "platform/host_name.h"
#include "platform/system_text_windows.h"

namespace platform {

std::string HostName() {
  DWORD size = 0;
  // The first call gives the size the name needs, its terminating null included.
  ::GetComputerNameExW(ComputerNameDnsHostname, nullptr, &size);
  if (size == 0) return {};
  std::wstring name(size, L'\0');
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name.data(), &size)) return {};
  name.resize(size);  // without the null
  return Utf8FromWide(name);
}

}  // namespace platform
