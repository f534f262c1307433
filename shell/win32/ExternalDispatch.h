#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>

#include "shell/ExternalMethodTable.h"

namespace tessaly::win32 {

// COM objects are destroyed by their own Release, never through an interface pointer,
// so the interfaces' missing virtual destructors do not matter here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The page's `external` object: an IDispatch whose names are exactly the 26 of the method
// table (ids 1 to 26). Invoke converts the script engine's VARIANTs to the declared types
// in one place (VariantChangeType, so the select boxes' "1" arrives as 1), answers a
// property read of a getter, and refuses everything else with the DISP_E_* code a script
// engine turns into a script error: an unknown id, a property write, named arguments, a
// wrong count, an argument that does not convert.
//
// A COM object with its own reference count: create it with `new`, hand it out, and
// Release the creator's reference; it deletes itself with the last one. The target must
// outlive every reference (the window drops the page, and so the page's references,
// before the core goes).
class ExternalDispatch final : public IDispatch {
 public:
  explicit ExternalDispatch(ExternalMethodTarget& target);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override;

 private:
  ~ExternalDispatch() = default;

  ExternalMethodTarget& target_;
  std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

}  // namespace tessaly::win32
