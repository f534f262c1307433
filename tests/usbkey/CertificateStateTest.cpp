#include "usbkey/CertificateState.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/fakes/FakeClock.h"
#include "usbkey/AdapterPath.h"

namespace tessaly {
namespace {

struct StateCase {
  std::string notAfter;
  LocalDateTime now;
  std::optional<std::int32_t> state;
};

void PrintTo(const StateCase& c, std::ostream* out) {
  *out << '"' << c.notAfter << "\" on " << c.now.year << "-" << c.now.month << "-" << c.now.day
       << " " << c.now.hour << ":" << c.now.minute << ":" << c.now.second;
}

class CertificateStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(CertificateStateTest, FromTheEndOfValidityInLocalTime) {
  FakeClock clock;
  clock.utcOffsetSeconds = 8 * 3600;
  clock.now = clock.At(GetParam().now);
  EXPECT_EQ(CertificateStateOf(GetParam().notAfter, clock), GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(
    KeyPanel, CertificateStateTest,
    testing::Values(
        StateCase{"2016-05-20", {2016, 4, 10, 12, 0, 0}, 2},
        StateCase{"2016-05-20", {2016, 4, 19, 23, 59, 59}, 2},
        StateCase{"2016-05-20", {2016, 4, 20, 0, 0, 0}, 3},  // one month before: renew
        StateCase{"2016-05-20", {2016, 4, 25, 0, 0, 0}, 3},
        StateCase{"2016-05-20", {2016, 5, 19, 23, 59, 59}, 3},
        StateCase{"2016-05-20", {2016, 5, 20, 0, 0, 0}, 4},  // local midnight: expired
        StateCase{"2016-5-20", {2017, 1, 1, 0, 0, 0}, 4},    // Fennick's form
        StateCase{"2016-1-15", {2015, 12, 14, 23, 59, 59}, 2},  // warning in December before
        StateCase{"2016-1-15", {2015, 12, 15, 0, 0, 0}, 3},
        StateCase{"2016-03-31", {2016, 3, 1, 23, 59, 59}, 2},  // 31 February is 2 March
        StateCase{"2016-03-31", {2016, 3, 2, 0, 0, 0}, 3},
        StateCase{"2015-03-31", {2015, 3, 3, 0, 0, 0}, 3},      // not a leap year: 3 March
        StateCase{"2015-03-31", {2015, 3, 2, 23, 0, 0}, 2},
        StateCase{"2016-04-31", {2016, 5, 1, 0, 0, 0}, 4},      // 31 April is 1 May
        StateCase{"2016-04-31", {2016, 4, 30, 23, 0, 0}, 3},
        StateCase{" 2016-+5-20x", {2016, 4, 10, 0, 0, 0}, 2},  // read like atoi
        StateCase{"2016-05-20-", {2016, 4, 10, 0, 0, 0}, std::nullopt},  // day text empty
        StateCase{"20160520", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"2016-05", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"1899-05-20", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"2016-13-20", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"2016-0-20", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"2016-05-32", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"2016-05-0", {2016, 4, 10, 0, 0, 0}, std::nullopt},
        StateCase{"99999999999999-05-20", {2016, 4, 10, 0, 0, 0}, 2},
        StateCase{"", {2016, 4, 10, 0, 0, 0}, std::nullopt}));

TEST(CertificateStateClockTest, NoStateWhenTheClockCannotPlaceTheDate) {
  FakeClock clock;
  clock.conversionsFail = true;
  EXPECT_EQ(CertificateStateOf("2016-05-20", clock), std::nullopt);
}

TEST(AdapterPathTest, TheAdapterFileBesideTheProgram) {
  struct Case {
    std::u16string program;
    std::u16string expected;
  };
  for (const Case& c : {
           Case{u"C:\\Program Files\\Quaymark\\Tessaly.exe", u"C:\\Program Files\\Quaymark\\Fennick.dll"},
           Case{u"C:\\Tessaly.exe", u"C:\\Fennick.dll"},
           Case{u"C:\\a\\.\\b\\..\\c\\Tessaly.exe", u"C:\\a\\c\\Fennick.dll"},
           Case{u"\\\\server\\share\\Tessaly.exe", u"\\\\server\\share\\Fennick.dll"},
           Case{u"\\\\server\\share\\..\\..\\Tessaly.exe", u"\\\\server\\share\\Fennick.dll"},
           Case{u"C:/Users/li/Tessaly.exe", u"C:\\Users\\li\\Fennick.dll"},
           Case{u"C:\\" + std::u16string(400, u'x') + u"\\Tessaly.exe",
                u"C:\\" + std::u16string(400, u'x') + u"\\Fennick.dll"},
       }) {
    EXPECT_EQ(AdapterPathBeside(c.program, u"..\\Fennick.dll"), c.expected);
  }
}

}  // namespace
}  // namespace tessaly
