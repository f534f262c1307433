#include "shell/win32/BrowserSite.h"

#include <exdispid.h>

namespace tessaly::win32 {

BrowserSite::BrowserSite(BrowserSiteOwner& owner) : owner_(&owner) {}

namespace {

// The object's COM identity; null when it has none to give.
IUnknown* IdentityOf(IUnknown* object) {
  IUnknown* identity = nullptr;
  if (object == nullptr ||
      FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
    return nullptr;
  }
  identity->Release();
  return identity;
}

}  // namespace

void BrowserSite::SetBrowser(IUnknown* browser) { browserIdentity_ = IdentityOf(browser); }

HRESULT STDMETHODCALLTYPE BrowserSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (IsEqualIID(iid, IID_IDocHostUIHandler)) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
    *object = static_cast<IDispatch*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE BrowserSite::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE BrowserSite::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) {
    *moniker = nullptr;
  }
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) {
    *container = nullptr;
  }
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetWindow(HWND* window) {
  if (window == nullptr) {
    return E_POINTER;
  }
  *window = owner_ != nullptr ? owner_->SiteWindow() : nullptr;
  return *window != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                        IOleInPlaceUIWindow** document,
                                                        LPRECT position, LPRECT clip,
                                                        LPOLEINPLACEFRAMEINFO info) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
      info == nullptr || owner_ == nullptr) {
    return E_INVALIDARG;
  }
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *document = nullptr;
  GetClientRect(owner_->SiteWindow(), position);
  *clip = *position;
  info->fMDIApp = FALSE;
  info->hwndFrame = owner_->SiteWindow();
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info == nullptr) {
    return E_POINTER;
  }
  info->cbSize = sizeof(DOCHOSTUIINFO);
  info->dwFlags = kHostFlags;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserSite::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
  return message != nullptr && owner_ != nullptr && owner_->WithholdsKey(*message) ? S_OK
                                                                                   : S_FALSE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key != nullptr) {
    *key = nullptr;
  }
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target != nullptr) {
    *target = nullptr;
  }
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetExternal(IDispatch** external) {
  if (external == nullptr) {
    return E_POINTER;
  }
  *external = owner_ != nullptr ? owner_->ExternalObject() : nullptr;
  return *external != nullptr ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated != nullptr) {
    *translated = nullptr;
  }
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::FilterDataObject(IDataObject*, IDataObject** filtered) {
  if (filtered != nullptr) {
    *filtered = nullptr;
  }
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) {
    return E_POINTER;
  }
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) {
    *info = nullptr;
  }
  return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE BrowserSite::Invoke(DISPID id, REFIID, LCID, WORD,
                                              DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                              UINT*) {
  if (id != DISPID_DOCUMENTCOMPLETE || owner_ == nullptr || parameters == nullptr ||
      parameters->cArgs < 2) {
    return S_OK;
  }
  // The arguments arrive last first: the URL, then the object that completed.
  const VARIANT& source = parameters->rgvarg[1];
  if (source.vt != VT_DISPATCH || source.pdispVal == nullptr) {
    return S_OK;
  }
  // Frames report their own completion; only the browser's own identity is the page.
  const IUnknown* completed = IdentityOf(source.pdispVal);
  if (completed != nullptr && completed == browserIdentity_) {
    owner_->OnDocumentComplete();
  }
  return S_OK;
}

}  // namespace tessaly::win32
