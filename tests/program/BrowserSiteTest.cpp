#include <gtest/gtest.h>

#include <windows.h>
#include <exdispid.h>

#include <atomic>
#include <string>

#include "shell/win32/BrowserSite.h"

namespace tessaly::win32 {
namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A browser object of its own standing in for the WebBrowser control, which Wine lacks. As
// real COM objects may, it answers each interface with a different pointer: IDispatch (which
// IWebBrowser2 derives from, and what DocumentComplete carries) is a tear-off, and only
// IUnknown is the object's identity.
class StandInBrowser final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch)) {
      *object = &dispatch_;
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack

  IDispatch* dispatch() { return &dispatch_; }
  ULONG references() const { return references_; }

 private:
  class Dispatch final : public IDispatch {
   public:
    explicit Dispatch(StandInBrowser& identity) : identity_(identity) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
      return identity_.QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return identity_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return identity_.Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
      return E_NOTIMPL;
    }

   private:
    StandInBrowser& identity_;
  };

  Dispatch dispatch_{*this};
  std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

class CountingOwner final : public BrowserSiteOwner {
 public:
  HWND SiteWindow() const override { return nullptr; }
  IDispatch* ExternalObject() override { return nullptr; }
  bool WithholdsKey(const MSG&) const override { return false; }
  void OnDocumentComplete() override { ++completions; }
  int completions = 0;
};

// The browser's DocumentComplete event as the control fires it: the URL, then the object
// whose document completed, last argument first.
HRESULT FireDocumentComplete(BrowserSite& site, IDispatch* completed) {
  VARIANT arguments[2];
  VariantInit(&arguments[0]);
  arguments[0].vt = VT_BSTR;
  arguments[0].bstrVal = nullptr;
  VariantInit(&arguments[1]);
  arguments[1].vt = VT_DISPATCH;
  arguments[1].pdispVal = completed;
  DISPPARAMS parameters{arguments, nullptr, 2, 0};
  return site.Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                     &parameters, nullptr, nullptr, nullptr);
}

// The page-load hand-over runs once, for the top-level document only, whatever pointer the
// control was known by and whatever pointer its event carries.
TEST(BrowserSiteTest, OnlyTheTopLevelDocumentCompletesThePage) {
  StandInBrowser browser;
  StandInBrowser frame;
  ASSERT_NE(static_cast<void*>(browser.dispatch()), static_cast<void*>(&browser));
  CountingOwner owner;
  auto* site = new BrowserSite(owner);
  // The window knows the control by its IWebBrowser2, an interface pointer, not the identity.
  site->SetBrowser(browser.dispatch());

  EXPECT_EQ(FireDocumentComplete(*site, frame.dispatch()), S_OK);
  EXPECT_EQ(owner.completions, 0) << "a frame's document is not the page";
  EXPECT_EQ(FireDocumentComplete(*site, browser.dispatch()), S_OK);
  EXPECT_EQ(owner.completions, 1) << "the top-level document completes the page";

  // Once the window has forgotten the control (closed it), no event hands over any more.
  site->SetBrowser(nullptr);
  EXPECT_EQ(FireDocumentComplete(*site, browser.dispatch()), S_OK);
  EXPECT_EQ(owner.completions, 1);
  // No reference is kept on either object.
  EXPECT_EQ(browser.references(), 1u);
  EXPECT_EQ(frame.references(), 1u);
  site->Release();
}

}  // namespace
}  // namespace tessaly::win32
