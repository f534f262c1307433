#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string_view>
#include <variant>
#include <vector>

#include "diagnosis/PageSink.h"
#include "platform/win32/UniqueComPtr.h"

namespace tessaly::win32 {

// PageSink realised as script calls into the loaded page: each call looks the function up
// by name on the document's script object and invokes it as a method with positional
// arguments (integers as VT_I4, texts as BSTR). A page that is not loaded, a function that
// is missing or fails: the call is dropped, as the logic expects.
class ScriptPageSink final : public PageSink {
 public:
  // Answers the current document's script object, or null while there is none.
  using ScriptSource = std::function<unique_com_ptr<IDispatch>()>;
  explicit ScriptPageSink(ScriptSource source);

  void setState(std::int32_t category, std::int32_t item, const PageValue& value) override;
  void clearState(std::int32_t category, std::int32_t item) override;
  void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) override;
  void ShowDivc(std::int32_t flag) override;
  void setUserTypeUI() override;

 private:
  using ScriptArgument = std::variant<std::int32_t, std::u16string_view>;
  void CallFunction(const wchar_t* name, const std::vector<ScriptArgument>& arguments);

  ScriptSource source_;
};

}  // namespace tessaly::win32
