#include "usbkey/KeyPanel.h"

#include <optional>
#include <string>

#include "platform/portable/Utf8Codec.h"
#include "usbkey/CertificateState.h"

namespace tessaly {
namespace {

// The panel's items.
constexpr std::int32_t kStatusIcons = 13;  // 0 a serial was read, 1 none
constexpr std::int32_t kSerial = 2;
constexpr std::int32_t kContentFiles = 3;  // 0 complete, 1 incomplete
constexpr std::int32_t kLocked = 4;        // 0 not locked, 1 locked
constexpr std::int32_t kDefaultPin = 5;    // 0 changed, 1 still the default
constexpr std::int32_t kCertificateCount = 6;
constexpr std::int32_t kFirstState = 7;
constexpr std::int32_t kFirstNotBefore = 8;
constexpr std::int32_t kFirstNotAfter = 9;
constexpr std::int32_t kSecondState = 10;
constexpr std::int32_t kSecondNotBefore = 11;
constexpr std::int32_t kSecondNotAfter = 12;

void SendNumber(PageSink& page, std::int32_t item, std::int32_t value) {
  page.setState(kKeyPanelCategory, item, PageValue{value});
}

void SendText(PageSink& page, std::int32_t item, const std::string& text) {
  page.setState(kKeyPanelCategory, item, PageValue{DecodeUtf8(text)});
}

std::int32_t AsFlag(bool set) { return set ? 1 : 0; }

}  // namespace

void ClearKeyPanel(PageSink& page) {
  for (std::int32_t item = kKeyPanelFirstRow; item <= kKeyPanelLastRow; ++item) {
    page.clearState(kKeyPanelCategory, item);
  }
}

void ReportKeyPanel(const CUSBKey& key, PageSink& page, const Clock& clock) {
  SendNumber(page, kStatusIcons, AsFlag(key.m_serials.empty()));
  if (!key.m_serials.empty()) {
    SendText(page, kSerial, key.m_serials.front());
  }
  if (!key.m_keyStatus.empty()) {
    SendNumber(page, kContentFiles, AsFlag(key.m_keyStatus.front() == 0));
  }
  if (!key.m_pinRetries.empty()) {
    SendNumber(page, kLocked, AsFlag(key.m_pinRetries.front() == 0));
  }
  if (!key.m_defaultPin.empty()) {
    SendNumber(page, kDefaultPin, AsFlag(key.m_defaultPin.front() != 0));
  }

  if (!key.m_certNames.empty()) {
    const std::size_t count = key.m_certNames.front().size();
    SendNumber(page, kCertificateCount, static_cast<std::int32_t>(count));
    if (count > 1) {
      // With two certificates the panel shows the old one as not yet revoked and the
      // other as valid; their dates are not judged.
      SendNumber(page, kFirstState, kCertificateOldNotRevoked);
      SendNumber(page, kSecondState, kCertificateValid);
    }
  } else if (!key.m_serials.empty()) {
    SendNumber(page, kCertificateCount, 0);
  }

  if (!key.m_notBefore.empty() && !key.m_notBefore.front().empty()) {
    const std::vector<std::string>& dates = key.m_notBefore.front();
    SendText(page, kFirstNotBefore, dates[0]);
    if (dates.size() >= 2) {
      SendText(page, kSecondNotBefore, dates[1]);
    }
  }
  if (!key.m_notAfter.empty() && !key.m_notAfter.front().empty()) {
    const std::vector<std::string>& dates = key.m_notAfter.front();
    SendText(page, kFirstNotAfter, dates[0]);
    if (dates.size() >= 2) {
      SendText(page, kSecondNotAfter, dates[1]);
    } else if (const std::optional<std::int32_t> state = CertificateStateOf(dates[0], clock)) {
      SendNumber(page, kFirstState, *state);
    }
  }
}

}  // namespace tessaly
