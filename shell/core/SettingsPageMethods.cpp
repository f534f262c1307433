#include "shell/core/SettingsPageMethods.h"

namespace tessaly {
namespace {

// The component item a user without a key kind (type 1) gets installed.
constexpr std::int32_t kItemForUserTypeOne = 4;

}  // namespace

SettingsPageMethods::SettingsPageMethods(Settings& settings, Autostart& autostart,
                                         DiagnosisState& state, DiagnosisSequence& sequence,
                                         const DiagnosisOperations& operations, PageSink& page)
    : settings_(settings),
      autostart_(autostart),
      state_(state),
      sequence_(sequence),
      operations_(operations),
      page_(page) {}

// The values are DWORDs; the page receives the same 32 bits as a signed integer.
std::int32_t SettingsPageMethods::Read(std::u16string_view name) const {
  return static_cast<std::int32_t>(settings_.ReadDword(name));
}

std::int32_t SettingsPageMethods::getusertype() const { return Read(kUserType); }
std::int32_t SettingsPageMethods::getupdatetype() const { return Read(kUpdateType); }
std::int32_t SettingsPageMethods::getFirst() const { return Read(kIsFirst); }
std::int32_t SettingsPageMethods::getclosetype() const { return Read(kCloseType); }
std::int32_t SettingsPageMethods::getwithwindows() const {
  return autostart_.IsAutostart() ? 1 : 0;
}

void SettingsPageMethods::setusertype(std::int32_t type) {
  settings_.WriteDword(kUserType, static_cast<std::uint32_t>(type));
  page_.setUserTypeUI();
  if (state_.checkAfterUserType) {
    sequence_.check(0);
  } else if (type == 1) {
    operations_.install(kItemForUserTypeOne);
  }
}

void SettingsPageMethods::setupdatetype(std::int32_t period) {
  if (period >= 0 && period <= 2) {
    settings_.WriteDword(kUpdateType, static_cast<std::uint32_t>(period));
  }
}

void SettingsPageMethods::setFirst(std::int32_t value) {
  settings_.WriteDword(kIsFirst, static_cast<std::uint32_t>(value));
}

void SettingsPageMethods::setclosetype(std::int32_t type) {
  settings_.WriteDword(kCloseType, type != 0 ? 1 : 0);
}

void SettingsPageMethods::setwithwindows(std::int32_t on) {
  if (autostart_.IsAutostart()) {
    if (on != 1) {
      autostart_.SetAutostart(false);
    }
  } else if (on == 1) {
    autostart_.SetAutostart(true);
  }
}

}  // namespace tessaly
