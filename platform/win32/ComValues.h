#pragma once

#include <oleauto.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace tessaly::win32 {

// Owns one BSTR and frees it when the owner goes away.
struct BstrFreer {
  void operator()(BSTR text) const noexcept { SysFreeString(text); }
};
using unique_bstr = std::unique_ptr<std::remove_pointer_t<BSTR>, BstrFreer>;

// A new BSTR holding `text` (embedded zeros kept); null when out of memory.
inline unique_bstr MakeBstr(std::u16string_view text) {
  return unique_bstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                       static_cast<UINT>(text.size())));
}

inline std::u16string TextOfBstr(BSTR text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// Owns one VARIANT and clears it when the owner goes away.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ~ScopedVariant() { VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace tessaly::win32
