#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace tessaly {

// The URL cache header counter that tells the internet layer its SSL state has changed.
inline constexpr std::uint32_t kUrlCacheSslStateCounter = 14;

// The two system functions that clear the SSL session state, taken from their libraries
// for one use; the libraries are released when the object goes away. Each call answers
// nothing when its library or function is missing, else whether the call succeeded.
class SslCacheFunctions {
 public:
  virtual ~SslCacheFunctions() = default;
  // Empties the SSL session cache for every target.
  virtual std::optional<bool> EmptySslCache() = 0;
  // Increments counter `index` of the URL cache header.
  virtual std::optional<bool> IncrementUrlCacheHeaderData(std::uint32_t index) = 0;
};

class SslCacheLibraries {
 public:
  virtual ~SslCacheLibraries() = default;
  // Loads both libraries and looks both functions up; never nullptr (what is missing
  // shows in the calls).
  virtual std::unique_ptr<SslCacheFunctions> Load() const = 0;
};

}  // namespace tessaly
