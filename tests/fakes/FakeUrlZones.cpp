#include "tests/fakes/FakeUrlZones.h"

#include <cstdio>
#include <utility>

namespace tessaly {
namespace {

std::string Ascii(std::u16string_view text) {
  std::string ascii;
  for (const char16_t unit : text) {
    ascii.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  }
  return ascii;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%#x", value);
  return text;
}

bool IsPlainHttp(std::u16string_view url) { return url.starts_with(u"http:"); }

class FakeZoneManager final : public ZoneManager {
 public:
  explicit FakeZoneManager(std::shared_ptr<FakeUrlZones::State> state) : state_(std::move(state)) {}

  std::optional<ZoneAttributes> GetZoneAttributes(std::uint32_t zone) const override {
    state_->calls.push_back("get " + std::to_string(zone));
    const auto found = state_->zones.find(zone);
    if (found == state_->zones.end()) {
      return std::nullopt;
    }
    return found->second;
  }

  bool SetZoneAttributes(std::uint32_t zone, const ZoneAttributes& attributes) override {
    state_->calls.push_back("set " + std::to_string(zone) + " level=" +
                            Hex(attributes.currentLevel) + " flags=" + Hex(attributes.flags));
    const auto found = state_->zones.find(zone);
    if (state_->refuseSetAttributes || found == state_->zones.end()) {
      return false;
    }
    // Only the current level and the flags are written; the recommendation is the
    // platform's.
    found->second.currentLevel = attributes.currentLevel;
    found->second.flags = attributes.flags;
    return true;
  }

  bool CopyTemplatePoliciesToZone(std::uint32_t templateLevel, std::uint32_t zone) override {
    state_->calls.push_back("copy " + Hex(templateLevel) + " to " + std::to_string(zone));
    if (state_->refuseCopyTemplate) {
      return false;
    }
    state_->copiedTemplates[zone] = templateLevel;
    return true;
  }

 private:
  std::shared_ptr<FakeUrlZones::State> state_;
};

class FakeSecurityManager final : public SecurityManager {
 public:
  explicit FakeSecurityManager(std::shared_ptr<FakeUrlZones::State> state)
      : state_(std::move(state)) {}

  std::optional<std::uint32_t> MapUrlToZone(std::u16string_view url) const override {
    state_->calls.push_back("map " + Ascii(url));
    const std::u16string key(url);
    if (state_->unmappableUrls.contains(key)) {
      return std::nullopt;
    }
    const auto found = state_->sites.find(key);
    return found == state_->sites.end() ? kInternetZone : found->second;
  }

  ZoneMappingResult AddZoneMapping(std::uint32_t zone, std::u16string_view url) override {
    state_->calls.push_back("add " + std::to_string(zone) + " " + Ascii(url));
    if (state_->failAddMapping) {
      return ZoneMappingResult::Failed;
    }
    const auto attributes = state_->zones.find(zone);
    if (attributes != state_->zones.end() && IsPlainHttp(url) &&
        (attributes->second.flags & kZoneFlagRequireVerification) != 0) {
      return ZoneMappingResult::AccessDenied;
    }
    state_->sites[std::u16string(url)] = zone;
    return ZoneMappingResult::Added;
  }

 private:
  std::shared_ptr<FakeUrlZones::State> state_;
};

}  // namespace

std::unique_ptr<ZoneManager> FakeUrlZones::CreateZoneManager() const {
  if (state_->zoneManagerMissing) {
    return nullptr;
  }
  return std::make_unique<FakeZoneManager>(state_);
}

std::unique_ptr<SecurityManager> FakeUrlZones::CreateSecurityManager() const {
  if (state_->securityManagerMissing) {
    return nullptr;
  }
  return std::make_unique<FakeSecurityManager>(state_);
}

}  // namespace tessaly
