#pragma once

#include <cstdint>

namespace tessaly {

// `setState` categories.
inline constexpr std::int32_t kCategoryProgress = 0;    // progress, status, verdict, last check
inline constexpr std::int32_t kCategoryCheckItem = 1;   // check items 1 to 15
inline constexpr std::int32_t kCategoryComponent = 2;   // component items, 1-based
inline constexpr std::int32_t kCategoryUsbKey = 804;    // the key panel

// Items of category 0.
inline constexpr std::int32_t kCheckProgressItem = 0;
inline constexpr std::int32_t kDownloadProgressItem = 1;
inline constexpr std::int32_t kStatusItem = 2;
inline constexpr std::int32_t kVerdictItem = 3;
inline constexpr std::int32_t kLastCheckTimeItem = 4;

// Check item numbers: category 1 items and the argument of `fix`.
inline constexpr std::int32_t kRepairAllFailing = 0;
inline constexpr std::int32_t kOsNameItem = 1;
inline constexpr std::int32_t kRegistryItem = 2;
inline constexpr std::int32_t kHostsItem = 3;
inline constexpr std::int32_t kRootCertificateItem = 4;
inline constexpr std::int32_t kNetworkItem = 5;
inline constexpr std::int32_t kDnsItem = 6;
inline constexpr std::int32_t kServiceItem = 7;
inline constexpr std::int32_t kBrowserVersionItem = 8;
inline constexpr std::int32_t kHomePageItem = 9;
inline constexpr std::int32_t kZoneLevelsItem = 10;
inline constexpr std::int32_t kTrustedSitesItem = 11;
inline constexpr std::int32_t kSslCacheItem = 12;
inline constexpr std::int32_t kDisabledControlsItem = 15;

// A check item's value: 0 normal, 1 abnormal.
inline constexpr std::int32_t kItemNormal = 0;
inline constexpr std::int32_t kItemAbnormal = 1;

// Status codes (category 0, item 2).
inline constexpr std::int32_t kStatusInstallDone = 1;
inline constexpr std::int32_t kStatusDownloading = 2;
inline constexpr std::int32_t kStatusInstalling = 3;
inline constexpr std::int32_t kStatusUpdating = 5;
inline constexpr std::int32_t kStatusCheckStarted = 1000;
inline constexpr std::int32_t kStatusDriversAndKey = 1016;
inline constexpr std::int32_t kStatusCheckDone = 1999;
inline constexpr std::int32_t kStatusRepairBase = 2000;  // + the check item number
inline constexpr std::int32_t kStatusRepairDone = 2999;

// Progress in percent.
inline constexpr std::int32_t kProgressStart = 0;
inline constexpr std::int32_t kProgressDone = 100;

// The overall verdict (category 0, item 3): 0 when the PC meets the requirements.
inline constexpr std::int32_t kVerdictMet = 0;
inline constexpr std::int32_t kVerdictCheckFailed = 1;
inline constexpr std::int32_t kVerdictComponentNeedsAttention = 2;

}  // namespace tessaly
