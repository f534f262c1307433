#include "tools/console/KeyPanelText.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(KeyPanelText, RowsInThePagesWords) {
  struct Case {
    std::int32_t item;
    PageValue value;
    const char* expected;
  };
  const Case cases[] = {
      {13, 0, "USBKey信息: √"},
      {13, 1, "USBKey信息: ?"},
      {2, u"FT00000000000001", "USBKey序列号: FT00000000000001"},
      {3, 0, "USBKey内容文件: 完整"},
      {3, 1, "USBKey内容文件: 不完整"},
      {4, 0, "USBKey的状态: 未被锁定"},
      {4, 1, "USBKey的状态: 已被锁定"},
      {5, 0, "USBKey初始密码: 已修改"},
      {5, 1, "USBKey初始密码: 未修改"},
      {6, 2, "证书数量: 2张"},
      {7, 1, "证书1状态: 旧证书未注销"},
      {7, 3, "证书1状态: 需要更新"},
      {10, 4, "证书2状态: 已过期"},
      {10, 9, "证书2状态: "},
      {8, u"2014-5-20", "证书1生效日期: 2014-5-20"},
      {12, u"2017-6-1", "证书2失效日期: 2017-6-1"},
      {14, 5, "USBKey 14: 5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescribeKeyPanelRow(c.item, c.value), c.expected) << c.item;
  }
}

}  // namespace
}  // namespace tessaly
