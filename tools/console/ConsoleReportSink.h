#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "diagnosis/PageSink.h"

namespace tessaly {

// A page for a terminal: every call becomes one readable UTF-8 line, in the words the page
// itself would show, e.g.
//   进度 18%
//   状态: 正在检测Host文件
//   [ 3] Host文件: 不正常
//   结论: 您的电脑未达到我行网银的要求，请点击“一键设置”修复。
// Calls the page would ignore (unknown items, codes without a text) are still written, with
// their numbers, so that nothing the program sends is hidden. Each line is flushed at once.
class ConsoleReportSink final : public PageSink {
 public:
  explicit ConsoleReportSink(std::ostream& out) : out_(&out) {}

  void setState(std::int32_t category, std::int32_t item, const PageValue& value) override;
  void clearState(std::int32_t category, std::int32_t item) override;
  void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) override;
  void ShowDivc(std::int32_t flag) override;
  void setUserTypeUI() override;

 private:
  void WriteLine(std::string_view line);
  std::string DescribeProgressItem(std::int32_t item, const PageValue& value) const;
  std::string DescribeCheckItem(std::int32_t item, const PageValue& value) const;

  std::ostream* out_;
};

// The page's texts for a status code; empty for a code the page has no text for.
std::u16string_view StatusText(std::int32_t code);
// The page's name of check item `item` (1 to 15); empty for an item it does not show.
std::u16string_view CheckItemName(std::int32_t item);
// A component row as the page shows it for a state word: "被禁用", "已安装", "有更新" or
// "未安装" ("可选装" for item 1), with the button it offers ("[升级]", "[安装]"); a code the
// page shows nothing for keeps its number, and a missing key (bit 31), which the page leaves
// to the key panel, is said too.
std::string ComponentRowText(std::int32_t item, std::uint32_t state);

}  // namespace tessaly
