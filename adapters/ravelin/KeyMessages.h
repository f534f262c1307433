#pragma once

#include <string_view>

namespace tessaly::ravelin {

// The adapter's modal message boxes; each blocks the calling thread until dismissed.
class KeyMessages {
 public:
  virtual ~KeyMessages() = default;
  // OK button, the library's own file name without extension as caption.
  virtual void ShowNotice(std::u16string_view text) = 0;
  // OK button, no owner window, the given caption.
  virtual void ShowWarning(std::u16string_view caption, std::u16string_view text) = 0;
};

inline constexpr std::u16string_view kOneKeyOnlyText = u"检测时请插入一只KEY";
inline constexpr std::u16string_view kNoKeyText = u"未检测到USBKEY";
inline constexpr std::u16string_view kNoKeyCaption = u"警告";
inline constexpr std::u16string_view kBindingFailedText = u"加载动态库失败，请确认安装是否正确";

}  // namespace tessaly::ravelin
