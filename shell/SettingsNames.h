#pragma once

#include <string_view>

namespace tessaly {

// The settings key of the current user and its values.
inline constexpr std::u16string_view kSettingsKeyPath = u"Software\\Brimvane\\Orvendel\\Quaymark";

inline constexpr std::u16string_view kCloseType = u"CloseType";          // 0 hide to the tray, 1 exit
inline constexpr std::u16string_view kUserType = u"UserType";            // 2 none, 3..5 key kinds, 0 never chosen
inline constexpr std::u16string_view kUpdateType = u"UpdateType";        // see UpdateSchedule.h
inline constexpr std::u16string_view kIsFirst = u"isFirst";              // 1 until the first-run question
inline constexpr std::u16string_view kLastUpdate = u"LastUpdate";        // seconds since 1970, low 32 bits
inline constexpr std::u16string_view kLastCheckTime = u"LastCheckTime";  // "%Y-%m-%d %H:%M:%S", local
// The sequence number of the last signed check-item document accepted; absent before one.
inline constexpr std::u16string_view kDocumentSequence = u"DocumentSequence";

// What `LastCheckTime` reads as before the first diagnosis or when it cannot be read.
inline constexpr std::u16string_view kNoLastCheckTime = u"0000-00-00 00:00:00";

}  // namespace tessaly
