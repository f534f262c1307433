#include <gtest/gtest.h>

#include "config/UserType.h"

namespace tessaly {
namespace {

TEST(UserTypeOfClass, MapsTheProbeClassesExactlyAndEverythingElseToTheKeylessType) {
  struct Case {
    std::string_view className;
    int userType;
  };
  for (const Case& c : {Case{"CWoqiUSBKey", 3}, Case{"CWoqiUSBKey1", 4}, Case{"CFeitianUSBKey", 5},
                        Case{"", 2}, Case{"cwoqiusbkey", 2}, Case{"CWoqiUSBKey ", 2},
                        Case{"CWoqiUSBKey2", 2}, Case{"CWoqiUSBKe", 2}}) {
    EXPECT_EQ(UserTypeOfClass(c.className), c.userType) << c.className;
  }
}

}  // namespace
}  // namespace tessaly
