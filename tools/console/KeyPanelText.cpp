#include "tools/console/KeyPanelText.h"

#include <array>
#include <string_view>

#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

// How the page shows a row's value.
enum class Shown { Text, Complete, Locked, DefaultPin, Count, CertificateState, Icon };

struct KeyPanelRow {
  std::int32_t item;
  std::u16string_view label;
  Shown shown;
};

constexpr std::array<KeyPanelRow, 12> kRows{{
    {2, u"USBKey序列号", Shown::Text},
    {3, u"USBKey内容文件", Shown::Complete},
    {4, u"USBKey的状态", Shown::Locked},
    {5, u"USBKey初始密码", Shown::DefaultPin},
    {6, u"证书数量", Shown::Count},
    {7, u"证书1状态", Shown::CertificateState},
    {8, u"证书1生效日期", Shown::Text},
    {9, u"证书1失效日期", Shown::Text},
    {10, u"证书2状态", Shown::CertificateState},
    {11, u"证书2生效日期", Shown::Text},
    {12, u"证书2失效日期", Shown::Text},
    {13, u"USBKey信息", Shown::Icon},
}};

constexpr std::array<std::u16string_view, 5> kCertificateStates{
    u"", u"旧证书未注销", u"正常", u"需要更新", u"已过期"};

std::u16string ShownValue(Shown shown, std::int32_t number) {
  switch (shown) {
    case Shown::Complete:
      return number == 0 ? u"完整" : u"不完整";
    case Shown::Locked:
      return number == 0 ? u"未被锁定" : u"已被锁定";
    case Shown::DefaultPin:
      return number == 0 ? u"已修改" : u"未修改";
    case Shown::Count:
      return DecodeUtf8(std::to_string(number)) + u"张";
    case Shown::CertificateState:
      return number >= 1 && number <= 4 ? std::u16string(kCertificateStates[static_cast<std::size_t>(number)])
                                        : u"";
    case Shown::Icon:
      return number == 0 ? u"√" : u"?";
    case Shown::Text:
      break;
  }
  return DecodeUtf8(std::to_string(number));
}

}  // namespace

std::string DescribeKeyPanelRow(std::int32_t item, const PageValue& value) {
  for (const KeyPanelRow& row : kRows) {
    if (row.item != item) {
      continue;
    }
    const auto* number = std::get_if<std::int32_t>(&value);
    const std::u16string shown =
        number != nullptr ? ShownValue(row.shown, *number) : std::get<std::u16string>(value);
    return EncodeUtf8(row.label) + ": " + EncodeUtf8(shown);
  }
  const auto* number = std::get_if<std::int32_t>(&value);
  return "USBKey " + std::to_string(item) + ": " +
         (number != nullptr ? std::to_string(*number) : EncodeUtf8(std::get<std::u16string>(value)));
}

}  // namespace tessaly
