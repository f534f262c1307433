#include "tests/fakes/FakeProgressDialog.h"

#include "platform/portable/Utf8Codec.h"

namespace tessaly {

class FakeProgressDialog final : public ProgressDialog {
 public:
  explicit FakeProgressDialog(FakeProgressDialogHost& host) : host_(host) {}

  bool Open(std::u16string_view title, std::u16string_view text) override {
    if (host_.open_ || host_.failOpen) {
      return false;
    }
    host_.transcript.push_back("open " + Texts(title, text));
    host_.open_ = true;
    host_.caption_ = title;
    host_.label_ = text;
    return true;
  }
  bool IsOpen() const override { return host_.open_; }
  std::u16string Caption() const override { return host_.caption_; }
  void SetTexts(std::u16string_view title, std::u16string_view text) override {
    host_.transcript.push_back("texts " + Texts(title, text));
    host_.caption_ = title;
    host_.label_ = text;
  }
  void RepaintNow() override { host_.transcript.push_back("repaint"); }
  void Destroy() override {
    host_.transcript.push_back("destroy");
    host_.open_ = false;
    host_.caption_.clear();
    host_.label_.clear();
  }

 private:
  static std::string Texts(std::u16string_view title, std::u16string_view text) {
    return EncodeUtf8(title) + "|" + EncodeUtf8(text);
  }

  FakeProgressDialogHost& host_;
};

std::unique_ptr<ProgressDialog> FakeProgressDialogHost::MakeDialog() {
  ++dialogsMade_;
  transcript.push_back("make");
  return std::make_unique<FakeProgressDialog>(*this);
}

void FakeProgressDialogHost::Pause(std::uint32_t milliseconds) {
  transcript.push_back("pause " + std::to_string(milliseconds));
}

}  // namespace tessaly
