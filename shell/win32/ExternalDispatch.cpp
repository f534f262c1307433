#include "shell/win32/ExternalDispatch.h"

#include <oleauto.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/win32/ComValues.h"

namespace tessaly::win32 {
namespace {

VARTYPE VariantTypeOf(ParameterType type) {
  switch (type) {
    case ParameterType::Boolean:
      return VT_BOOL;
    case ParameterType::Integer:
      return VT_I4;
    case ParameterType::Text:
      return VT_BSTR;
  }
  return VT_EMPTY;
}

// A script's NaN or infinity is no integer. Windows' conversion refuses it as an
// overflow, but not every implementation does (Wine's answers 2147483647), so it is
// refused here before the conversion is asked.
bool IsNonFiniteNumber(const VARIANT& given) {
  return (given.vt == VT_R8 && !std::isfinite(given.dblVal)) ||
         (given.vt == VT_R4 && !std::isfinite(given.fltVal));
}

// One argument in its declared type; false when the engine's value does not convert.
bool ConvertArgument(const VARIANT& given, ParameterType type, MethodArgument& argument) {
  if (type == ParameterType::Integer && IsNonFiniteNumber(given)) {
    return false;
  }
  ScopedVariant converted;
  if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&given), 0,
                               VariantTypeOf(type)))) {
    return false;
  }
  const VARIANT& value = converted.value();
  switch (type) {
    case ParameterType::Boolean:
      argument = value.boolVal != VARIANT_FALSE;
      return true;
    case ParameterType::Integer:
      argument = static_cast<std::int32_t>(value.lVal);
      return true;
    case ParameterType::Text:
      argument = value.bstrVal != nullptr ? TextOfBstr(value.bstrVal) : std::u16string();
      return true;
  }
  return false;
}

}  // namespace

ExternalDispatch::ExternalDispatch(ExternalMethodTarget& target) : target_(target) {}

HRESULT STDMETHODCALLTYPE ExternalDispatch::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ExternalDispatch::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ExternalDispatch::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE ExternalDispatch::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) {
    return E_POINTER;
  }
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ExternalDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) {
    *info = nullptr;
  }
  return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE ExternalDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count,
                                                          LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) {
    return E_INVALIDARG;
  }
  HRESULT answer = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
  }
  // The first name is the member; any further ones would name its parameters, which the
  // methods do not have by name.
  const ExternalMethod* method =
      names[0] != nullptr
          ? FindExternalMethod(std::u16string_view(reinterpret_cast<const char16_t*>(names[0])))
          : nullptr;
  if (method == nullptr) {
    answer = DISP_E_UNKNOWNNAME;
  } else {
    ids[0] = method->id;
  }
  return count > 1 ? DISP_E_UNKNOWNNAME : answer;
}

HRESULT STDMETHODCALLTYPE ExternalDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags,
                                                   DISPPARAMS* parameters, VARIANT* result,
                                                   EXCEPINFO*, UINT* argumentError) {
  const ExternalMethod* method = FindExternalMethod(static_cast<std::int32_t>(id));
  if (method == nullptr || parameters == nullptr) {
    return method == nullptr ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  const bool asMethod = (flags & DISPATCH_METHOD) != 0;
  const bool asGetter = (flags & DISPATCH_PROPERTYGET) != 0 && method->returnsInteger;
  if (!asMethod && !asGetter) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (parameters->cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  }
  if (parameters->cArgs != method->parameterCount ||
      (parameters->cArgs != 0 && parameters->rgvarg == nullptr)) {
    return DISP_E_BADPARAMCOUNT;
  }
  // The engine passes the arguments last first.
  std::vector<MethodArgument> arguments(parameters->cArgs);
  for (UINT i = 0; i < parameters->cArgs; ++i) {
    const UINT given = parameters->cArgs - 1 - i;
    if (!ConvertArgument(parameters->rgvarg[given], method->parameters[i], arguments[i])) {
      if (argumentError != nullptr) {
        *argumentError = given;
      }
      return DISP_E_TYPEMISMATCH;
    }
  }
  std::int32_t value = 0;
  if (!target_.Call(*method, arguments, &value)) {
    return DISP_E_TYPEMISMATCH;
  }
  if (result != nullptr) {
    VariantInit(result);
    if (method->returnsInteger) {
      result->vt = VT_I4;
      result->lVal = value;
    }
  }
  return S_OK;
}

}  // namespace tessaly::win32
