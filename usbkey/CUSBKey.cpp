#include "usbkey/CUSBKey.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "adapters/keyadapter/KeyAdapter.h"
#include "usbkey/AdapterPath.h"

namespace tessaly {
namespace {

using keyadapter::kCertNameListBytes;
using keyadapter::kDateBytes;
using keyadapter::kSerialListBytes;

// The eight common exports; a missing one is nullptr and drops its query.
struct AdapterExports {
  explicit AdapterExports(const LoadedModule& module)
      : checkKeyEnv(FindExport<CheckKeyEnvFn>(module, keyadapter::kCheckKeyEnv)),
        getKeyCount(FindExport<GetKeyCountFn>(module, keyadapter::kGetKeyCount)),
        getKeySN(FindExport<GetKeySNFn>(module, keyadapter::kGetKeySN)),
        getCertCN(FindExport<GetCertCNFn>(module, keyadapter::kGetCertCN)),
        getCertNotBefore(FindExport<GetCertNotBeforeFn>(module, keyadapter::kGetCertNotBefore)),
        getCertNotAfter(FindExport<GetCertNotAfterFn>(module, keyadapter::kGetCertNotAfter)),
        getPinRetryTimes(FindExport<GetPinRetryTimesFn>(module, keyadapter::kGetPinRetryTimes)),
        defaultPinFlg(FindExport<DefaultPINFlgFn>(module, keyadapter::kDefaultPINFlg)) {}

  CheckKeyEnvFn checkKeyEnv;
  GetKeyCountFn getKeyCount;
  GetKeySNFn getKeySN;
  GetCertCNFn getCertCN;
  GetCertNotBeforeFn getCertNotBefore;
  GetCertNotAfterFn getCertNotAfter;
  GetPinRetryTimesFn getPinRetryTimes;
  DefaultPINFlgFn defaultPinFlg;
};

// Reads NUL-terminated texts one after another out of a buffer an adapter filled. The
// adapter never learns the buffer's size, so a text whose NUL is not inside the buffer is
// not a text: reading stops there instead of running past the end.
class BufferTexts {
 public:
  explicit BufferTexts(std::span<const char> buffer) : buffer_(buffer) {}

  std::optional<std::string> Next() {
    const auto rest = buffer_.subspan(position_);
    const auto end = std::find(rest.begin(), rest.end(), '\0');
    if (end == rest.end()) {
      position_ = buffer_.size();
      return std::nullopt;
    }
    std::string text(rest.begin(), end);
    position_ += text.size() + 1;
    return text;
  }

 private:
  std::span<const char> buffer_;
  std::size_t position_ = 0;
};

// The entries of a list an adapter wrote, at most `most` of them: the NUL-terminated texts
// one after another as written (empty ones too), or, for a joined list, its first text cut
// at every "|" with empty entries left out.
std::vector<std::string> ListEntries(std::span<const char> buffer, AdapterListLayout layout,
                                     std::size_t most) {
  std::vector<std::string> entries;
  BufferTexts texts(buffer);
  if (layout == AdapterListLayout::NulSeparated) {
    for (std::optional<std::string> text = texts.Next(); text && entries.size() < most;
         text = texts.Next()) {
      entries.push_back(std::move(*text));
    }
    return entries;
  }
  const std::optional<std::string> joined = texts.Next();
  if (!joined) {
    return entries;
  }
  std::string_view rest = *joined;
  while (!rest.empty() && entries.size() < most) {
    const std::size_t bar = std::min(rest.find('|'), rest.size());
    if (bar != 0) {
      entries.emplace_back(rest.substr(0, bar));
    }
    rest.remove_prefix(std::min(bar + 1, rest.size()));
  }
  return entries;
}

// What CheckKeyEnv's answer adds to the key status list: 1 (the key's content files are
// incomplete), 0 (complete), or nothing (the code says nothing about them).
std::optional<std::int32_t> KeyStatusOf(std::int32_t result, std::int32_t code) {
  if (result != 0 || code == 1 || code == 8) {
    return 1;
  }
  if (code == 4 || code >= 9 || code < 0) {
    return 0;
  }
  return std::nullopt;
}

// The dates of each name of one serial, from GetCertNotBefore or GetCertNotAfter. The date
// buffer is cleared before every query, so a name that matches no certificate (the adapter
// answers 1 and writes nothing) records nothing rather than the previous name's date.
template <typename DateFn>
std::vector<std::string> DatesOf(DateFn query, const std::vector<std::string>& names) {
  std::vector<std::string> dates;
  for (const std::string& name : names) {
    std::array<char, kDateBytes> date{};
    if (query(name.c_str(), date.data()) == 0) {
      continue;
    }
    std::optional<std::string> text = BufferTexts(date).Next();
    if (text && !text->empty()) {
      dates.push_back(std::move(*text));
    }
  }
  return dates;
}

}  // namespace

AdapterUSBKey::AdapterUSBKey(const ModuleLoader& modules, std::u16string_view programPath,
                             std::u16string_view adapterFile, AdapterListLayout layout)
    : m_layout(layout) {
  m_hAdapter = modules.Load(AdapterPathBeside(programPath, adapterFile));
}

std::int32_t AdapterUSBKey::Detect() {
  if (!m_hAdapter) {
    return 0;
  }
  const AdapterExports adapter(*m_hAdapter);

  if (adapter.checkKeyEnv != nullptr) {
    std::int32_t code = 0;
    const std::int32_t result = adapter.checkKeyEnv(&code);
    if (const std::optional<std::int32_t> status = KeyStatusOf(result, code)) {
      m_keyStatus.push_back(*status);
    }
  }

  std::int32_t count = 0;
  if (adapter.getKeyCount == nullptr || adapter.getKeyCount(&count) == 0 || count <= 0) {
    return 0;
  }

  if (adapter.getKeySN != nullptr) {
    std::array<char, kSerialListBytes> serials{};
    if (adapter.getKeySN(serials.data()) != 0) {
      // Never more serials than keys, nor more than the buffer holds.
      m_serials = ListEntries(serials, m_layout, static_cast<std::size_t>(count));
    }
  }

  if (adapter.getPinRetryTimes != nullptr) {
    for (const std::string& serial : m_serials) {
      m_pinRetries.push_back(adapter.getPinRetryTimes(serial.c_str()));
    }
  }
  if (adapter.defaultPinFlg != nullptr) {
    for (const std::string& serial : m_serials) {
      m_defaultPin.push_back(adapter.defaultPinFlg(serial.c_str()) != 0 ? 1 : 0);
    }
  }

  if (adapter.getCertCN != nullptr) {
    for (const std::string& serial : m_serials) {
      // Cleared for every serial, not once: Fennick appends to what the buffer holds, so
      // the second key's names would otherwise follow the first key's.
      std::array<char, kCertNameListBytes> buffer{};
      std::vector<std::string> names;
      if (adapter.getCertCN(serial.c_str(), buffer.data()) != 0) {
        names = ListEntries(buffer, m_layout, buffer.size());
        // A NUL-separated list ends at its first empty name.
        names.erase(std::find(names.begin(), names.end(), std::string()), names.end());
      }
      m_certNames.push_back(std::move(names));
    }
  }
  if (adapter.getCertNotBefore != nullptr) {
    for (const std::vector<std::string>& names : m_certNames) {
      m_notBefore.push_back(DatesOf(adapter.getCertNotBefore, names));
    }
  }
  if (adapter.getCertNotAfter != nullptr) {
    for (const std::vector<std::string>& names : m_certNames) {
      m_notAfter.push_back(DatesOf(adapter.getCertNotAfter, names));
    }
  }
  return count;
}

void AdapterUSBKey::Release() { m_hAdapter.reset(); }

CWoqiUSBKey::CWoqiUSBKey(const ModuleLoader& modules, std::u16string_view programPath)
    : AdapterUSBKey(modules, programPath, u"..\\Ravelin.dll", AdapterListLayout::NulSeparated) {}

CWoqiUSBKey1::CWoqiUSBKey1(const ModuleLoader& modules, std::u16string_view programPath)
    : AdapterUSBKey(modules, programPath, u"..\\Ravelin_.dll", AdapterListLayout::NulSeparated) {}

CFeitianUSBKey::CFeitianUSBKey(const ModuleLoader& modules, std::u16string_view programPath)
    : AdapterUSBKey(modules, programPath, u"..\\Fennick.dll", AdapterListLayout::BarJoined) {}

}  // namespace tessaly
