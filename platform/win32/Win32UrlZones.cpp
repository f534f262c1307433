#include "platform/win32/Win32UrlZones.h"

#include <windows.h>
#include <urlmon.h>

#include <string>
#include <utility>

#include "platform/win32/UniqueComPtr.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// The URL a call sees ends at its first zero; one with a zero inside is refused instead.
bool HasZero(std::u16string_view text) { return text.find(u'\0') != std::u16string_view::npos; }

class Win32ZoneManager final : public ZoneManager {
 public:
  explicit Win32ZoneManager(unique_com_ptr<IInternetZoneManager> manager)
      : manager_(std::move(manager)) {}

  std::optional<ZoneAttributes> GetZoneAttributes(std::uint32_t zone) const override {
    ZONEATTRIBUTES attributes{};
    if (!Read(zone, attributes)) {
      return std::nullopt;
    }
    return ZoneAttributes{.currentLevel = attributes.dwTemplateCurrentLevel,
                          .recommendedLevel = attributes.dwTemplateRecommended,
                          .flags = attributes.dwFlags};
  }

  bool SetZoneAttributes(std::uint32_t zone, const ZoneAttributes& attributes) override {
    // The platform writes the whole record; the names, icon and lowest level are written
    // back as they were read.
    ZONEATTRIBUTES record{};
    if (!Read(zone, record)) {
      return false;
    }
    record.dwTemplateCurrentLevel = attributes.currentLevel;
    record.dwFlags = attributes.flags;
    return SUCCEEDED(manager_->SetZoneAttributes(zone, &record));
  }

  bool CopyTemplatePoliciesToZone(std::uint32_t templateLevel, std::uint32_t zone) override {
    return SUCCEEDED(manager_->CopyTemplatePoliciesToZone(templateLevel, zone, 0));
  }

 private:
  bool Read(std::uint32_t zone, ZONEATTRIBUTES& attributes) const {
    attributes.cbSize = sizeof(attributes);
    return SUCCEEDED(manager_->GetZoneAttributes(zone, &attributes));
  }

  unique_com_ptr<IInternetZoneManager> manager_;
};

class Win32SecurityManager final : public SecurityManager {
 public:
  explicit Win32SecurityManager(unique_com_ptr<IInternetSecurityManager> manager)
      : manager_(std::move(manager)) {}

  std::optional<std::uint32_t> MapUrlToZone(std::u16string_view url) const override {
    if (HasZero(url)) {
      return std::nullopt;
    }
    const std::u16string terminated(url);
    DWORD zone = 0;
    if (FAILED(manager_->MapUrlToZone(AsWide(terminated), &zone, 0))) {
      return std::nullopt;
    }
    return zone;
  }

  ZoneMappingResult AddZoneMapping(std::uint32_t zone, std::u16string_view pattern) override {
    if (HasZero(pattern)) {
      return ZoneMappingResult::Failed;
    }
    const std::u16string terminated(pattern);
    const HRESULT result = manager_->SetZoneMapping(zone, AsWide(terminated), SZM_CREATE);
    if (SUCCEEDED(result)) {
      return ZoneMappingResult::Added;
    }
    return result == E_ACCESSDENIED ? ZoneMappingResult::AccessDenied : ZoneMappingResult::Failed;
  }

 private:
  unique_com_ptr<IInternetSecurityManager> manager_;
};

}  // namespace

std::unique_ptr<ZoneManager> Win32UrlZoneServices::CreateZoneManager() const {
  IInternetZoneManager* raw = nullptr;
  const HRESULT result = CoInternetCreateZoneManager(nullptr, &raw, 0);
  unique_com_ptr<IInternetZoneManager> manager(raw);
  if (FAILED(result) || manager == nullptr) {
    return nullptr;
  }
  return std::make_unique<Win32ZoneManager>(std::move(manager));
}

std::unique_ptr<SecurityManager> Win32UrlZoneServices::CreateSecurityManager() const {
  IInternetSecurityManager* raw = nullptr;
  const HRESULT result = CoInternetCreateSecurityManager(nullptr, &raw, 0);
  unique_com_ptr<IInternetSecurityManager> manager(raw);
  if (FAILED(result) || manager == nullptr) {
    return nullptr;
  }
  return std::make_unique<Win32SecurityManager>(std::move(manager));
}

}  // namespace tessaly::win32
