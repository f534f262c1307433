#include "platform/win32/Win32UsbDriver.h"

#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// GUID_DEVINTERFACE_USB_HOST_CONTROLLER.
constexpr GUID kHostControllerInterfaceClass = {
    0x3ABF6F2D, 0x71C4, 0x462A, {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};
// A device path is a few hundred characters; the detail record of a longer one is not read.
constexpr DWORD kMaxInterfaceDetailBytes = 64 * 1024;

class Win32UsbDevice final : public UsbDeviceHandle {
 public:
  explicit Win32UsbDevice(unique_handle device) : device_(std::move(device)) {}

  std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output) override {
    constexpr std::size_t kMax = std::numeric_limits<DWORD>::max();
    if (input.size() > kMax || output.size() > kMax) {
      return std::nullopt;
    }
    DWORD returned = 0;
    if (!DeviceIoControl(device_.get(), code, const_cast<std::uint8_t*>(input.data()),
                         static_cast<DWORD>(input.size()), output.data(),
                         static_cast<DWORD>(output.size()), &returned, nullptr)) {
      return std::nullopt;
    }
    return returned;
  }

 private:
  unique_handle device_;
};

struct DeviceInfoSetCloser {
  void operator()(HDEVINFO set) const noexcept { SetupDiDestroyDeviceInfoList(set); }
};
using unique_hdevinfo = std::unique_ptr<void, DeviceInfoSetCloser>;

}  // namespace

std::unique_ptr<UsbDeviceHandle> Win32UsbDriver::Open(const std::u16string& path) const {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) {
    return nullptr;
  }
  unique_handle device(CreateFileW(AsWide(path), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
  if (!device) {
    return nullptr;
  }
  return std::make_unique<Win32UsbDevice>(std::move(device));
}

std::vector<std::u16string> Win32UsbDriver::HostControllerInterfacePaths() const {
  std::vector<std::u16string> paths;
  const HDEVINFO opened = SetupDiGetClassDevsW(&kHostControllerInterfaceClass, nullptr, nullptr,
                                               DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (opened == INVALID_HANDLE_VALUE) {
    return paths;
  }
  const unique_hdevinfo set(opened);
  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof(interfaceData);
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(opened, nullptr, &kHostControllerInterfaceClass,
                                                    index, &interfaceData);
       ++index) {
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailW(opened, &interfaceData, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || needed > kMaxInterfaceDetailBytes) {
      continue;
    }
    // DWORD-aligned storage for the variable-length record.
    std::vector<DWORD> storage((needed + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(opened, &interfaceData, detail, needed, nullptr,
                                          nullptr)) {
      continue;
    }
    // The path fills the record after cbSize; it ends at its zero or at the record's end.
    const auto* bytes = reinterpret_cast<const unsigned char*>(storage.data());
    std::u16string path;
    for (std::size_t at = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
         at + sizeof(char16_t) <= needed; at += sizeof(char16_t)) {
      char16_t unit = 0;
      std::memcpy(&unit, bytes + at, sizeof(unit));
      if (unit == u'\0') {
        break;
      }
      path.push_back(unit);
    }
    if (!path.empty()) {
      paths.push_back(std::move(path));
    }
  }
  return paths;
}

}  // namespace tessaly::win32
