#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "platform/win32/ComValues.h"
#include "shell/win32/ExternalDispatch.h"
#include "shell/win32/ScriptPageSink.h"
#include "tests/program/RecordingMethodTarget.h"

namespace tessaly::win32 {
namespace {

// The dispatch object reached exactly as a script engine reaches it: names to ids, then
// Invoke with the engine's own VARIANTs, last argument first.
class ExternalDispatchTest : public testing::Test {
 protected:
  ExternalDispatchTest() : dispatch(new ExternalDispatch(target)) {}
  ~ExternalDispatchTest() override { dispatch->Release(); }

  DISPID IdOf(const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    lastResult = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
  }

  // Invokes `name` with the arguments in the page's order.
  HRESULT Invoke(const wchar_t* name, std::vector<VARIANT> arguments, WORD flags,
                 VARIANT* result = nullptr, UINT* argumentError = nullptr) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), nullptr,
                          static_cast<UINT>(reversed.size()), 0};
    const HRESULT answer = dispatch->Invoke(IdOf(name), IID_NULL, LOCALE_USER_DEFAULT, flags,
                                            &parameters, result, nullptr, argumentError);
    for (VARIANT& v : arguments) {
      VariantClear(&v);
    }
    return answer;
  }

  static VARIANT Int(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  }
  static VARIANT Text(std::u16string_view text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = MakeBstr(text).release();
    return v;
  }
  static VARIANT Double(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
  }
  static VARIANT Bool(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }

  RecordingTarget target;
  ExternalDispatch* dispatch;
  HRESULT lastResult = S_OK;
};

TEST_F(ExternalDispatchTest, NamesAreExactlyTheTable) {
  EXPECT_EQ(IdOf(L"cheatRegistry"), 1);
  EXPECT_EQ(lastResult, S_OK);
  EXPECT_EQ(IdOf(L"getFirst"), 20);
  EXPECT_EQ(IdOf(L"update"), 26);
  EXPECT_EQ(IdOf(L"getfirst"), DISPID_UNKNOWN);
  EXPECT_EQ(lastResult, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(IdOf(L"AddSearchProvider"), DISPID_UNKNOWN);
  EXPECT_EQ(lastResult, DISP_E_UNKNOWNNAME);
}

TEST_F(ExternalDispatchTest, ArgumentsArriveInTheirDeclaredTypes) {
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(Invoke(L"setupdatetype", {Text(u"1")}, DISPATCH_METHOD), S_OK);
  EXPECT_EQ(Invoke(L"fix", {Double(3.0)}, DISPATCH_METHOD), S_OK);
  EXPECT_EQ(Invoke(L"cheatRegistry", {Int(1)}, DISPATCH_METHOD), S_OK);
  EXPECT_EQ(Invoke(L"messageBox", {Text(u"正文"), Int(7)}, DISPATCH_METHOD), S_OK);
  EXPECT_EQ(Invoke(L"downloadingBox", {Text(u"2"), Text(u"t"), Text(u"x")},
                   DISPATCH_METHOD | DISPATCH_PROPERTYGET),
            S_OK);
  EXPECT_EQ(Invoke(L"setclosetype", {Bool(true)}, DISPATCH_METHOD), S_OK);
  const std::vector<RecordedCall> expected = {
      {u"setupdatetype", {1}},
      {u"fix", {3}},
      {u"cheatRegistry", {true}},
      {u"messageBox", {std::u16string(u"正文"), std::u16string(u"7")}},
      {u"downloadingBox", {2, std::u16string(u"t"), std::u16string(u"x")}},
      {u"setclosetype", {-1}},
  };
  EXPECT_EQ(target.calls, expected);
}

TEST_F(ExternalDispatchTest, GettersAnswerAsMethodsAndAsPropertyReads) {
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(Invoke(L"getFirst", {}, DISPATCH_PROPERTYGET, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 2000);
  VariantInit(&result);
  EXPECT_EQ(Invoke(L"getusertype", {}, DISPATCH_METHOD, &result), S_OK);
  EXPECT_EQ(result.lVal, 1600);
  // A method that is not a getter cannot be read as a property, nor anything written.
  EXPECT_EQ(Invoke(L"check", {}, DISPATCH_PROPERTYGET, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(L"getFirst", {Int(1)}, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(target.calls.size(), 2u);
}

TEST_F(ExternalDispatchTest, BadCallsAreScriptErrorsAndRunNothing) {
  UINT bad = 99;
  EXPECT_EQ(Invoke(L"fix", {}, DISPATCH_METHOD), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(L"fix", {Int(1), Int(2)}, DISPATCH_METHOD), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(L"site", {Int(1)}, DISPATCH_METHOD), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(L"setupdatetype", {Text(u"每天")}, DISPATCH_METHOD, nullptr, &bad),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 0u);
  EXPECT_EQ(Invoke(L"downloadingBox", {Text(u"x"), Text(u"t"), Text(u"x")}, DISPATCH_METHOD,
                   nullptr, &bad),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 2u);  // the first argument is the last in the array
  EXPECT_EQ(Invoke(L"nosuch", {}, DISPATCH_METHOD), DISP_E_MEMBERNOTFOUND);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch->Invoke(27, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  VARIANT argument = Int(1);
  DISPID named = 0;
  DISPPARAMS withName{&argument, &named, 1, 1};
  EXPECT_EQ(dispatch->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &withName, nullptr, nullptr,
                             nullptr),
            DISP_E_NONAMEDARGS);
  EXPECT_TRUE(target.calls.empty());
}

TEST_F(ExternalDispatchTest, ReferencesAreCounted) {
  IDispatch* second = nullptr;
  ASSERT_EQ(dispatch->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&second)), S_OK);
  EXPECT_EQ(second->AddRef(), 3u);
  EXPECT_EQ(second->Release(), 2u);
  EXPECT_EQ(second->Release(), 1u);
  IUnknown* other = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(dispatch->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&other)),
            E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

// COM objects are destroyed by their own Release, never through an interface pointer,
// so the interfaces' missing virtual destructors do not matter here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A page's script object that records the calls it gets, as the page would run them.
class RecordingScript final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    const std::u16string name(reinterpret_cast<const char16_t*>(names[0]));
    for (std::size_t i = 0; i < functions.size(); ++i) {
      if (functions[i] == name) {
        *ids = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    *ids = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    std::u16string line = functions[static_cast<std::size_t>(id - 1)] + u"(";
    for (UINT i = parameters->cArgs; i > 0; --i) {
      const VARIANT& v = parameters->rgvarg[i - 1];
      line += v.vt == VT_I4 ? std::u16string(u"i") + ToText(v.lVal)
                            : u"s:" + TextOfBstr(v.bstrVal);
      line += i > 1 ? u"," : u"";
    }
    calls.push_back(line + u")" + (flags == DISPATCH_METHOD ? u"" : u" not a method call"));
    return S_OK;
  }
  static std::u16string ToText(LONG value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
  }

  std::vector<std::u16string> functions = {u"setState", u"clearState", u"setTab",
                                           u"setUserTypeUI"};
  std::vector<std::u16string> calls;
  ULONG references = 1;
};
#pragma GCC diagnostic pop

TEST(ScriptPageSinkTest, CallsThePageFunctionsByNameInOrder) {
  RecordingScript script;
  bool loaded = true;
  ScriptPageSink sink([&]() -> unique_com_ptr<IDispatch> {
    if (!loaded) {
      return nullptr;
    }
    script.AddRef();
    return unique_com_ptr<IDispatch>(&script);
  });
  sink.setState(0, 2, 1000);
  sink.setState(1, 1, std::u16string(u"Windows 7 旗舰版"));
  sink.clearState(804, 5);
  sink.setTab(u"one", 5, 5);
  sink.ShowDivc(1);  // the page lacks it: dropped
  sink.setUserTypeUI();
  loaded = false;
  sink.setState(0, 0, 100);  // no page: dropped
  const std::vector<std::u16string> expected = {
      u"setState(i0,i2,i1000)", u"setState(i1,i1,s:Windows 7 旗舰版)", u"clearState(i804,i5)",
      u"setTab(s:one,i5,i5)", u"setUserTypeUI()"};
  EXPECT_EQ(script.calls, expected);
  EXPECT_EQ(script.references, 1u);  // every reference taken was given back
}

}  // namespace
}  // namespace tessaly::win32
