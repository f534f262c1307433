#pragma once

#include <array>
#include <string_view>

namespace tessaly::ravelin {

// The files the Watchdata installer puts in <system directory>\Watchdata\Watchdata CSP v3.3,
// in the order they are tested, for each system directory of a 64-bit Windows; and the one
// file it puts in the system directory itself.
inline constexpr std::array<std::string_view, 18> kThirtyTwoBitFolderFiles{
    "clrcert.exe",    "TokenMgr.dll",         "hodll.dll",            "WatchSafe.ini",
    "WDAlg.dll",      "WDCSP03.dll",          "wdcspui.dll",          "WDEvent.dll",
    "wdkmgr.dll",     "wdpkcs.dll",           "wdsafe3.dll",          "wdsafe3.sig",
    "Protectini.ini", "WDCertQUAYMARK34.exe", "WDMoniQUAYMARK34.exe", "Language\\L0C04Res.dll",
    "Language\\L0409Res.dll", "Language\\L0804Res.dll"};
inline constexpr std::array<std::string_view, 14> kNativeFolderFiles{
    "TokenMgr.dll", "hodll.dll",   "WatchSafe.ini", "WDAlg.dll",   "WDCSP03.dll",
    "wdcspui.dll",  "wdkmgr.dll",  "wdpkcs.dll",    "wdsafe3.dll", "wdsafe3.sig",
    "Protectini.ini", "Language\\L0C04Res.dll", "Language\\L0409Res.dll",
    "Language\\L0804Res.dll"};
inline constexpr std::string_view kSystemDirectoryFile = "WDP11_ND_v33.dll";
inline constexpr std::string_view kMiddlewareFolder = "\\Watchdata\\Watchdata CSP v3.3\\";
inline constexpr std::string_view kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "{3E6D3420-F90D-480C-B794-D7EFC6B458E7}";

}  // namespace tessaly::ravelin
