#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ModuleLoader.h"

namespace tessaly {

// A probe of one kind of USB key: it binds that kind's adapter library (the KeyAdapter
// contract, adapters/keyadapter/KeyAdapter.h), asks it everything and keeps the answers for
// the key panel. A probe lives for one item of one probe run.
//
// There is no virtual destructor: the probe run calls Release and then destroys the object
// as its concrete class, never through this base.
class CUSBKey {
 public:
  // Queries the adapter and fills the result lists; answers the number of keys.
  virtual std::int32_t Detect() = 0;
  // Unloads the adapter library and forgets it.
  virtual void Release() = 0;

  // The results, texts as the adapter wrote them (ANSI bytes). Per serial, in the order the
  // adapter gave the serials; the date lists hold one entry per common name that answered.
  std::vector<std::string> m_serials;
  std::vector<std::vector<std::string>> m_certNames;
  std::vector<std::vector<std::string>> m_notBefore;
  std::vector<std::vector<std::string>> m_notAfter;
  std::vector<std::int32_t> m_pinRetries;  // -1: the adapter could not read them
  std::vector<std::int32_t> m_keyStatus;   // 0 or 1, from CheckKeyEnv's reason code
  std::vector<std::int32_t> m_defaultPin;  // 1: the PIN is still the issuing default

 protected:
  CUSBKey() = default;
  ~CUSBKey() = default;
  CUSBKey(const CUSBKey&) = delete;
  CUSBKey& operator=(const CUSBKey&) = delete;

  std::unique_ptr<LoadedModule> m_hAdapter;  // none when the library could not be loaded
};

// How an adapter lays out a list of texts (serials, certificate names) in a buffer.
enum class AdapterListLayout {
  // One NUL-terminated text after the other, ended by an empty one.
  NulSeparated,
  // One NUL-terminated text with "|" between the entries (Fennick).
  BarJoined,
};

// The one Detect and Release the three probe classes share; they differ in the adapter
// file they load and in how it lays out its lists.
class AdapterUSBKey : public CUSBKey {
 public:
  std::int32_t Detect() override;
  void Release() override;

 protected:
  // Loads `adapterFile` (relative to the program's own file, "..\\Name.dll") from the
  // program's folder; a library that cannot be loaded leaves the probe without adapter.
  AdapterUSBKey(const ModuleLoader& modules, std::u16string_view programPath,
                std::u16string_view adapterFile, AdapterListLayout layout);
  ~AdapterUSBKey() = default;

 private:
  AdapterListLayout m_layout;
};

// Watchdata keys (Ravelin).
class CWoqiUSBKey final : public AdapterUSBKey {
 public:
  CWoqiUSBKey(const ModuleLoader& modules, std::u16string_view programPath);
};

// Watchdata Bluetooth keys (a second Watchdata adapter file with the same contract).
class CWoqiUSBKey1 final : public AdapterUSBKey {
 public:
  CWoqiUSBKey1(const ModuleLoader& modules, std::u16string_view programPath);
};

// Feitian Bluetooth keys (Fennick).
class CFeitianUSBKey final : public AdapterUSBKey {
 public:
  CFeitianUSBKey(const ModuleLoader& modules, std::u16string_view programPath);
};

}  // namespace tessaly
