#pragma once

// The seams of Ravelin's core as the native tests arrange them: a lock whose waits are
// scripted and counted, certificates looked up by their bytes, recorded message boxes and
// an installed middleware planted in a fake registry and file system.
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "adapters/ravelin/KeyCertificates.h"
#include "adapters/ravelin/KeyLock.h"
#include "adapters/ravelin/KeyMessages.h"
#include "adapters/ravelin/MiddlewareSystem.h"

namespace tessaly::ravelin {

class CountingLock final : public KeyLock {
 public:
  LockWait wait = LockWait::Acquired;
  int acquired = 0;
  int released = 0;
  LockWait Acquire() override {
    if (wait == LockWait::Acquired) {
      ++acquired;
    }
    return wait;
  }
  void Release() override { ++released; }
};

// A certificate's bytes as a DER header states them: 30 82 and the content's length.
std::vector<std::uint8_t> FakeDer(const std::string& content);
std::string Hex(const std::vector<std::uint8_t>& bytes);
// One key of the stand-in token manager's file (adapters/ravelin/standin/StandInKeys.h) on
// that slot-list entry, with a reset answer the stand-in accepts, then `more` directives.
std::string KeyText(const std::string& serial, std::uint32_t slot, const std::string& more = "");

class TableCertificateReader final : public CertificateReader {
 public:
  struct Entry {
    KeyCertificate certificate;
    std::uint32_t chainStatus = 0;
  };
  std::map<std::vector<std::uint8_t>, Entry> entries;
  // The bytes each chain was built for, in order.
  mutable std::vector<std::vector<std::uint8_t>> chainsBuilt;

  std::optional<KeyCertificate> Read(std::span<const std::uint8_t> der) const override;
  std::optional<std::uint32_t> ChainErrorStatus(std::span<const std::uint8_t> der) const override;
};

class RecordingMessages final : public KeyMessages {
 public:
  std::vector<std::u16string> shown;  // "caption|text"; the library's caption as "*"
  void ShowNotice(std::u16string_view text) override { shown.push_back(u"*|" + std::u16string(text)); }
  void ShowWarning(std::u16string_view caption, std::u16string_view text) override {
    shown.push_back(std::u16string(caption) + u"|" + std::u16string(text));
  }
};

class PlantedMiddleware final : public MiddlewareSystem {
 public:
  bool native64 = false;
  // (key path, value name, 32-bit view) → value
  std::map<std::tuple<std::string, std::string, bool>, std::string> registry;
  // (file, section, name) → value
  std::map<std::tuple<std::string, std::string, std::string>, std::string> ini;
  std::set<std::pair<std::string, FileView>> files;
  mutable std::vector<std::string> filesAsked;

  std::optional<std::string> ReadMachineString(std::string_view keyPath, std::string_view valueName,
                                               bool thirtyTwoBitView) const override;
  std::string ReadIniValue(const std::string& file, std::string_view section,
                           std::string_view name) const override;
  bool IsNative64BitWindows() const override { return native64; }
  std::string SystemDirectory(FileView view) const override {
    return view == FileView::Native ? "C:\\Windows\\System32" : "C:\\Windows\\SysWOW64";
  }
  bool FileExists(const std::string& path, FileView view) const override {
    filesAsked.push_back(path);
    return files.contains({path, view});
  }

  // A complete installation of that version in the views a 32- or 64-bit Windows has.
  void InstallComplete(const std::string& version);
};

}  // namespace tessaly::ravelin
