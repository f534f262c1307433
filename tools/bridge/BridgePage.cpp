#include "tools/bridge/BridgePage.h"

#include <bcrypt.h>

#include <array>
#include <cstdio>
#include <utility>

#include "platform/portable/Utf8Codec.h"
#include "platform/win32/WideText.h"
#include "shell/bridge/PageCallForm.h"
#include "tools/bridge/PageCallDispatch.h"

namespace tessaly::win32 {
namespace {

constexpr UINT kRunOnGuiThread = WM_APP + 1;
constexpr wchar_t kCallWindowClass[] = L"TessalyBridgeCalls";
constexpr std::string_view kJson = "application/json; charset=utf-8";

std::string_view ContentTypeOf(std::string_view name) {
  struct Kind {
    std::string_view extension;
    std::string_view type;
  };
  static constexpr Kind kKinds[] = {
      {".CSS", "text/css"},  {".JS", "application/javascript"}, {".PNG", "image/png"},
      {".GIF", "image/gif"}, {".JPG", "image/jpeg"},            {".JPEG", "image/jpeg"},
  };
  for (const Kind& kind : kKinds) {
    if (name.ends_with(kind.extension)) {
      return kind.type;
    }
  }
  return "application/octet-stream";
}

}  // namespace

std::string RandomBridgeToken() {
  std::array<unsigned char, 16> bytes{};
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    return {};
  }
  std::string token;
  for (unsigned char byte : bytes) {
    constexpr char kHex[] = "0123456789abcdef";
    token += kHex[byte >> 4];
    token += kHex[byte & 0xF];
  }
  return token;
}

BridgePage::BridgePage(std::string token, std::u16string addressFile)
    : token_(std::move(token)),
      addressFile_(std::move(addressFile)),
      server_([this](const ReceivedHttpRequest& request) { return Answer(request); }) {}

BridgePage::~BridgePage() { Stop(); }

void BridgePage::Start(HWND window, IDispatch& external, ProgramCore& core) {
  mainWindow_ = window;
  external_ = &external;
  core_ = &core;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &BridgePage::CallWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kCallWindowClass;
  RegisterClassW(&windowClass);
  callWindow_ = CreateWindowExW(0, kCallWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
  if (callWindow_ == nullptr || token_.empty() || !server_.Start()) {
    std::fputs("TessalyBridge: cannot serve the page\n", stderr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return;
  }
  PublishAddress();
}

void BridgePage::Stop() {
  stopping_ = true;
  server_.Stop();
  if (callWindow_ != nullptr) {
    DestroyWindow(std::exchange(callWindow_, nullptr));
  }
  external_ = nullptr;
  core_ = nullptr;
}

void BridgePage::PublishAddress() const {
  const std::string address =
      "http://127.0.0.1:" + std::to_string(server_.port()) + "/" + token_ + "/";
  std::printf("%s\n", address.c_str());
  std::fflush(stdout);
  if (addressFile_.empty()) {
    return;
  }
  // Written aside and renamed, so a test polling for the file never reads half of it.
  const std::u16string partial = addressFile_ + u".partial";
  const HANDLE file = CreateFileW(AsWide(partial), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  const std::string line = address + "\n";
  DWORD written = 0;
  const bool whole = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written,
                               nullptr) != FALSE && written == line.size();
  CloseHandle(file);
  if (whole) {
    MoveFileExW(AsWide(partial), AsWide(addressFile_), MOVEFILE_REPLACE_EXISTING);
  }
}

LRESULT CALLBACK BridgePage::CallWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == kRunOnGuiThread) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool BridgePage::OnGuiThread(const std::function<void()>& work) {
  bool ran = false;
  const std::function<void()> guarded = [&] {
    if (!stopping_) {
      work();
      ran = true;
    }
  };
  const HWND target = callWindow_;
  if (stopping_ || target == nullptr) {
    return false;
  }
  SendMessageW(target, kRunOnGuiThread, 0, reinterpret_cast<LPARAM>(&guarded));
  return ran;
}

std::string BridgePage::Exchange(const std::string& answerLine) {
  return HttpResponseText(200, kJson, answerLine + "\n" + page_.Take());
}

std::string BridgePage::Asset(const BridgeRoute& route) const {
  return resources_.LoadResourceBytes(route.name, ResourceType(std::string_view(route.type)));
}

std::optional<std::string> BridgePage::Answer(const ReceivedHttpRequest& request) {
  const BridgeRoute route = RouteBridgeRequest(request, token_, server_.port());
  switch (route.kind) {
    case BridgeRoute::Kind::Refused:
      return std::nullopt;
    case BridgeRoute::Kind::NotFound:
      return HttpResponseText(404, "", "");
    case BridgeRoute::Kind::Page: {
      // Page 104 by number: "#104" is how the resource API takes a numbered name.
      const std::string page = resources_.LoadResourceBytes("#104", kResourceTypeHtml);
      if (page.empty()) {
        return HttpResponseText(404, "", "");
      }
      return HttpResponseText(200, "text/html; charset=utf-8", PageWithBridgeScript(page));
    }
    case BridgeRoute::Kind::Asset:
    case BridgeRoute::Kind::Script: {
      const BridgeRoute script{BridgeRoute::Kind::Script, "BRIDGE", "EXTERNAL.JS"};
      const BridgeRoute& source = route.kind == BridgeRoute::Kind::Script ? script : route;
      const std::string bytes = Asset(source);
      if (bytes.empty()) {
        return HttpResponseText(404, "", "");
      }
      return HttpResponseText(200, ContentTypeOf(source.name), bytes);
    }
    case BridgeRoute::Kind::Call: {
      const std::optional<ExternalMethodCall> call = ParsePageCall(request.body);
      if (!call) {
        return HttpResponseText(400, kJson, PageCallRefusal("malformed call") + "\n");
      }
      PageCallOutcome outcome;
      if (!OnGuiThread([&] { outcome = InvokePageCall(*external_, *call); })) {
        return std::nullopt;
      }
      return Exchange(SUCCEEDED(outcome.status) ? PageCallAnswer(outcome.result)
                                                : PageCallRefusal(DescribeDispatchError(outcome.status)));
    }
    case BridgeRoute::Kind::Events:
      return Exchange(PageCallAnswer(std::nullopt));
    case BridgeRoute::Kind::Loaded:
      if (!OnGuiThread([&] { core_->OnPageLoaded(); })) {
        return std::nullopt;
      }
      return Exchange(PageCallAnswer(std::nullopt));
  }
  return std::nullopt;
}

}  // namespace tessaly::win32
