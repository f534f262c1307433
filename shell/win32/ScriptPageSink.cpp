#include "shell/win32/ScriptPageSink.h"

#include <oleauto.h>

#include <utility>

#include "platform/win32/ComValues.h"

namespace tessaly::win32 {

ScriptPageSink::ScriptPageSink(ScriptSource source) : source_(std::move(source)) {}

void ScriptPageSink::CallFunction(const wchar_t* name,
                                  const std::vector<ScriptArgument>& arguments) {
  const unique_com_ptr<IDispatch> script = source_();
  if (!script) {
    return;
  }
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    return;
  }
  // DISPPARAMS hold the arguments last first; each VARIANT is cleared by its owner.
  std::vector<ScopedVariant> values(arguments.size());
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    VARIANT* value = values[arguments.size() - 1 - i].get();
    if (const auto* number = std::get_if<std::int32_t>(&arguments[i])) {
      value->vt = VT_I4;
      value->lVal = *number;
    } else {
      value->bstrVal = MakeBstr(std::get<std::u16string_view>(arguments[i])).release();
      if (value->bstrVal == nullptr) {
        return;
      }
      value->vt = VT_BSTR;
    }
  }
  std::vector<VARIANT> passed;
  passed.reserve(values.size());
  for (ScopedVariant& value : values) {
    passed.push_back(*value.get());  // a shallow view; `values` keeps ownership
  }
  DISPPARAMS parameters{passed.empty() ? nullptr : passed.data(), nullptr,
                        static_cast<UINT>(passed.size()), 0};
  ScopedVariant ignored;
  script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, ignored.get(),
                 nullptr, nullptr);
}

void ScriptPageSink::setState(std::int32_t category, std::int32_t item, const PageValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    CallFunction(L"setState", {category, item, *number});
  } else {
    CallFunction(L"setState", {category, item, std::u16string_view(std::get<std::u16string>(value))});
  }
}

void ScriptPageSink::clearState(std::int32_t category, std::int32_t item) {
  CallFunction(L"clearState", {category, item});
}

void ScriptPageSink::setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) {
  CallFunction(L"setTab", {group, tab, count});
}

void ScriptPageSink::ShowDivc(std::int32_t flag) { CallFunction(L"ShowDivc", {flag}); }

void ScriptPageSink::setUserTypeUI() { CallFunction(L"setUserTypeUI", {}); }

}  // namespace tessaly::win32
