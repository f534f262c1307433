#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <optional>
#include <string>

#include "shell/bridge/PageCallForm.h"

namespace tessaly::win32 {

// The outcome of one page call through the `external` dispatch object.
struct PageCallOutcome {
  HRESULT status = E_FAIL;
  std::optional<std::int32_t> result;  // a getter's value
};

// Makes `call` exactly as a script engine makes it: the name through GetIDsOfNames, then
// Invoke with the arguments as VARIANTs, last first (numbers that are whole and fit 32 bits
// as VT_I4, others as VT_R8, strings as BSTR, booleans, null and undefined as their
// VARIANT kinds), as a method call or, for `propertyRead`, a property get. The dispatch
// object converts and checks them itself. A script object cannot cross to the program:
// such a call is refused as a type mismatch once the name is known.
PageCallOutcome InvokePageCall(IDispatch& external, const ExternalMethodCall& call);

// The script error text for a refused call, e.g. "DISP_E_BADPARAMCOUNT".
std::string DescribeDispatchError(HRESULT status);

}  // namespace tessaly::win32
