#include "tools/bridge/PageCallDispatch.h"

#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/win32/ComValues.h"

namespace tessaly::win32 {
namespace {

// Fills `variant` (initialised, empty) with the script value; false for a script object.
bool ToVariant(const ScriptValue& value, VARIANT& variant) {
  if (std::holds_alternative<std::nullptr_t>(value)) {
    variant.vt = VT_NULL;
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    variant.vt = VT_BOOL;
    variant.boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (const auto* number = std::get_if<double>(&value)) {
    const bool whole = std::isfinite(*number) && std::floor(*number) == *number &&
                       *number >= std::numeric_limits<std::int32_t>::min() &&
                       *number <= std::numeric_limits<std::int32_t>::max();
    if (whole) {
      variant.vt = VT_I4;
      variant.lVal = static_cast<LONG>(*number);
    } else {
      variant.vt = VT_R8;
      variant.dblVal = *number;
    }
  } else if (const auto* text = std::get_if<std::u16string>(&value)) {
    variant.vt = VT_BSTR;
    variant.bstrVal = MakeBstr(*text).release();
    if (variant.bstrVal == nullptr) {
      variant.vt = VT_EMPTY;
      return false;
    }
  } else if (std::holds_alternative<ScriptObject>(value)) {
    return false;
  }
  return true;  // undefined stays VT_EMPTY
}

}  // namespace

PageCallOutcome InvokePageCall(IDispatch& external, const ExternalMethodCall& call) {
  PageCallOutcome outcome;
  std::u16string name = call.name;
  LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(name.data())};
  DISPID id = DISPID_UNKNOWN;
  outcome.status = external.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(outcome.status)) {
    return outcome;
  }
  const std::size_t count = call.arguments.size();
  std::vector<ScopedVariant> arguments(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (!ToVariant(call.arguments[i], *arguments[count - 1 - i].get())) {
      outcome.status = DISP_E_TYPEMISMATCH;
      return outcome;
    }
  }
  std::vector<VARIANT> passed(count);
  for (std::size_t i = 0; i < count; ++i) {
    passed[i] = arguments[i].value();  // borrowed: the owners clear them
  }
  DISPPARAMS parameters{count != 0 ? passed.data() : nullptr, nullptr, static_cast<UINT>(count), 0};
  ScopedVariant result;
  UINT argumentError = 0;
  outcome.status = external.Invoke(
      id, IID_NULL, LOCALE_USER_DEFAULT,
      static_cast<WORD>(call.propertyRead ? DISPATCH_PROPERTYGET : DISPATCH_METHOD), &parameters,
      result.get(), nullptr, &argumentError);
  if (SUCCEEDED(outcome.status) && result.value().vt == VT_I4) {
    outcome.result = static_cast<std::int32_t>(result.value().lVal);
  }
  return outcome;
}

std::string DescribeDispatchError(HRESULT status) {
  switch (status) {
    case DISP_E_UNKNOWNNAME:
      return "DISP_E_UNKNOWNNAME: no such method";
    case DISP_E_MEMBERNOTFOUND:
      return "DISP_E_MEMBERNOTFOUND: not a property";
    case DISP_E_BADPARAMCOUNT:
      return "DISP_E_BADPARAMCOUNT: wrong number of arguments";
    case DISP_E_TYPEMISMATCH:
      return "DISP_E_TYPEMISMATCH: an argument does not convert";
    case DISP_E_NONAMEDARGS:
      return "DISP_E_NONAMEDARGS";
    default: {
      char text[32];
      std::snprintf(text, sizeof(text), "HRESULT 0x%08lX", static_cast<unsigned long>(status));
      return text;
    }
  }
}

}  // namespace tessaly::win32
