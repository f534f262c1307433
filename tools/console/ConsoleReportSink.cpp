#include "tools/console/ConsoleReportSink.h"

#include <array>
#include <utility>

#include "config/CheckConfig.h"
#include "diagnosis/ItemState.h"
#include "diagnosis/PageCodes.h"
#include "platform/portable/Utf8Codec.h"
#include "tools/console/KeyPanelText.h"

namespace tessaly {
namespace {

// The same texts as the page's script, so that the console reads like the window.
constexpr std::array<std::pair<std::int32_t, std::u16string_view>, 26> kStatusTexts{{
    {1, u"安装完毕"},
    {2, u"正在下载"},
    {3, u"正在安装"},
    {4, u"正在获取配置"},
    {5, u"正在更新助手..."},
    {1000, u"开始检测"},
    {1002, u"正在检测注册表"},
    {1003, u"正在检测Host文件"},
    {1004, u"正在检测根证书"},
    {1005, u"正在检测网络连接"},
    {1006, u"正在检测DNS设置"},
    {1007, u"正在检测网银服务"},
    {1009, u"正在检测主页设置"},
    {1010, u"正在检测安全级别设置"},
    {1011, u"正在检测可信站点"},
    {1013, u"正在检测网络代理设置"},
    {1016, u"正在检测驱动程序与UKey状态"},
    {1999, u"检测完毕"},
    {2002, u"正在修复注册表"},
    {2003, u"正在修复Host文件"},
    {2004, u"正在安装根证书"},
    {2009, u"正在修复主页设置"},
    {2010, u"正在修复安全级别设置"},
    {2011, u"正在修复可信站点"},
    {2012, u"正在清理SSL缓存"},
    {2999, u"设置完毕"},
}};

constexpr std::array<std::u16string_view, 16> kCheckItemNames{
    u"",         u"操作系统", u"注册表设置", u"Host文件", u"CFCA根证书", u"网络连接",
    u"DNS设置",  u"网银服务", u"浏览器版本", u"主页设置", u"安全级别",   u"可信站点",
    u"SSL缓存",  u"",         u"",           u"禁用的控件"};

constexpr std::u16string_view kVerdictMetText = u"恭喜您，您的电脑已达到我行网银使用要求，请放心使用。";
constexpr std::u16string_view kVerdictNotMetText =
    u"您的电脑未达到我行网银的要求，请点击“一键设置”修复。";

std::string Utf8(std::u16string_view text) { return EncodeUtf8(text); }

// The value as the page would print it: the number, or the text.
std::string ValueText(const PageValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    return std::to_string(*number);
  }
  return Utf8(std::get<std::u16string>(value));
}

const std::int32_t* NumberOf(const PageValue& value) { return std::get_if<std::int32_t>(&value); }

}  // namespace

std::u16string_view StatusText(std::int32_t code) {
  for (const auto& [known, text] : kStatusTexts) {
    if (known == code) {
      return text;
    }
  }
  return {};
}

std::u16string_view CheckItemName(std::int32_t item) {
  if (item < 0 || static_cast<std::size_t>(item) >= kCheckItemNames.size()) {
    return {};
  }
  return kCheckItemNames[static_cast<std::size_t>(item)];
}

std::string ComponentRowText(std::int32_t item, std::uint32_t state) {
  std::string text;
  // Offline, the program sends the state plus one: 3 and 6 are 2 and 5 without a button.
  switch (state & kItemStateCodeMask) {
    case 0:
    case 1: text = "已安装"; break;
    case 2: text = "有更新 [升级]"; break;
    case 3: text = "有更新"; break;
    case 4:
    case 6: text = item == 1 ? "可选装" : "未安装"; break;
    case 5: text = item == 1 ? "可选装 [安装]" : "未安装 [安装]"; break;
    default: text = "状态" + std::to_string(state & kItemStateCodeMask); break;
  }
  if ((state & kItemDisabledInBrowser) != 0) {
    text = "被禁用";
  }
  if ((state & kItemNoKeyAttached) != 0) {
    text += ", 未插入USBKey";
  }
  return text;
}

void ConsoleReportSink::WriteLine(std::string_view line) {
  // One write per line: the install worker's questions share the stream.
  *out_ << std::string(line) + "\n";
  out_->flush();
}

std::string ConsoleReportSink::DescribeProgressItem(std::int32_t item,
                                                    const PageValue& value) const {
  const std::int32_t* number = NumberOf(value);
  switch (item) {
    case kCheckProgressItem:
      return "进度 " + ValueText(value) + "%";
    case kDownloadProgressItem:
      return "下载 " + ValueText(value) + "%";
    case kStatusItem: {
      const std::u16string_view text = number ? StatusText(*number) : std::u16string_view{};
      return text.empty() ? "状态 " + ValueText(value) : "状态: " + Utf8(text);
    }
    case kVerdictItem:
      if (number == nullptr) {
        break;
      }
      return "结论: " + Utf8(*number == kVerdictMet ? kVerdictMetText : kVerdictNotMetText) +
             " (" + std::to_string(*number) + ")";
    case kLastCheckTimeItem:
      return "检测时间: " + ValueText(value);
    default:
      break;
  }
  return "setState(0, " + std::to_string(item) + ", " + ValueText(value) + ")";
}

std::string ConsoleReportSink::DescribeCheckItem(std::int32_t item,
                                                 const PageValue& value) const {
  // Right-aligned in two columns. Padding first and digits appended: GCC 12 at -O3 takes an
  // insertion at the front for an overlapping copy (a false -Wrestrict).
  const std::string digits = std::to_string(item);
  std::string number(digits.size() < 2 ? 1 : 0, ' ');
  number += digits;
  const std::u16string_view name = CheckItemName(item);
  std::string line = "[" + number + "] " + (name.empty() ? "检测项" : Utf8(name)) + ": ";
  const std::int32_t* state = NumberOf(value);
  if (state == nullptr) {
    return line + ValueText(value);
  }
  if (*state == kItemNormal) {
    return line + "正常";
  }
  if (*state == kItemAbnormal) {
    return line + "不正常";
  }
  return line + std::to_string(*state);
}

void ConsoleReportSink::setState(std::int32_t category, std::int32_t item,
                                 const PageValue& value) {
  switch (category) {
    case kCategoryProgress:
      WriteLine(DescribeProgressItem(item, value));
      return;
    case kCategoryCheckItem:
      WriteLine(DescribeCheckItem(item, value));
      return;
    case kCategoryComponent:
      if (const std::int32_t* state = NumberOf(value)) {
        WriteLine("组件 " + std::to_string(item) + ": " +
                  ComponentRowText(item, static_cast<std::uint32_t>(*state)));
      } else {
        // A text is the version of an installed item; the empty text that comes before a
        // state only clears the version shown.
        const std::string version = ValueText(value);
        WriteLine("组件 " + std::to_string(item) +
                  (version.empty() ? ": 版本 \"\"" : ": 已安装, 版本 \"" + version + "\""));
      }
      return;
    case kCategoryUsbKey:
      WriteLine(DescribeKeyPanelRow(item, value));
      return;
    default:
      break;
  }
  WriteLine("setState(" + std::to_string(category) + ", " + std::to_string(item) + ", " +
            ValueText(value) + ")");
}

void ConsoleReportSink::clearState(std::int32_t category, std::int32_t item) {
  WriteLine("clearState(" + std::to_string(category) + ", " + std::to_string(item) + ")");
}

void ConsoleReportSink::setTab(std::u16string_view group, std::int32_t tab,
                               std::int32_t count) {
  WriteLine("setTab(" + Utf8(group) + ", " + std::to_string(tab) + ", " +
            std::to_string(count) + ")");
}

void ConsoleReportSink::ShowDivc(std::int32_t flag) {
  WriteLine("ShowDivc(" + std::to_string(flag) + ")");
}

void ConsoleReportSink::setUserTypeUI() { WriteLine("setUserTypeUI()"); }

}  // namespace tessaly
