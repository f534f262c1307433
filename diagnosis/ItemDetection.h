#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "config/CheckConfig.h"
#include "diagnosis/ComponentPlatform.h"

namespace tessaly {

// Whether the item can be installed: it has an installer, or a file with a download URL.
bool IsInstallable(const ComponentItem& item);

// The device ids of a "usbkey" rule: numbers separated by ",", each read as the C library
// reads an unsigned long with automatic base (decimal, "0x" hexadecimal, leading-zero
// octal), so that vendor ids of 0x8000 and above keep their value; zeros are dropped.
std::vector<std::uint32_t> ParseUsbDeviceIds(std::string_view text);

// Sets the state word of every record: the first presence rule that fails makes it
// missing (code 4), and the rules stop there; a present item with a file that is not
// current is outdated (code 1); codes 1 and 4 become 2 and 5 when the item is installable.
// Every word starts from 0; a "clsid" rule sets bit 30 when the browser has the control
// disabled, a "usbkey" rule sets bit 31 when no device of its ids is attached, and a code
// never changes either bit.
void DetectItems(const ComponentPlatform& platform, std::vector<ComponentItem>& items);

}  // namespace tessaly
