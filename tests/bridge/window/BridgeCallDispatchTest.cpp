#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "shell/win32/ExternalDispatch.h"
#include "tests/program/RecordingMethodTarget.h"
#include "tools/bridge/PageCallDispatch.h"

namespace tessaly::win32 {
namespace {

std::u16string T(const char16_t* text) { return text; }

// The bridge's page calls go through the real dispatch object exactly as a script engine's
// would: the script's values become the engine's VARIANTs, and the dispatch object alone
// converts and refuses them.
TEST(BridgeCallDispatchTest, ScriptValuesReachTheMethodTableAsTheEngineWouldPassThem) {
  using V = std::vector<ScriptValue>;
  using A = std::vector<MethodArgument>;
  struct Case {
    const char16_t* name;
    V values;
    bool propertyRead;
    HRESULT status;
    std::optional<std::int32_t> result;
    A received;  // what the table got; nothing recorded for a refusal
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {u"setupdatetype", V{T(u"1")}, false, S_OK, {}, A{std::int32_t{1}}},
      {u"setupdatetype", V{2.0}, false, S_OK, {}, A{std::int32_t{2}}},
      {u"setupdatetype", V{-7.0}, false, S_OK, {}, A{std::int32_t{-7}}},
      {u"install", V{2.5}, false, S_OK, {}, A{std::int32_t{2}}},  // banker's rounding
      {u"install", V{4e9}, false, DISP_E_TYPEMISMATCH, {}, A{}},   // beyond 32 bits
      {u"install", V{nan}, false, DISP_E_TYPEMISMATCH, {}, A{}},  // not INT_MAX, as Wine has it
      {u"install", V{-std::numeric_limits<double>::infinity()}, false, DISP_E_TYPEMISMATCH, {}, A{}},
      {u"setupdatetype", V{std::monostate{}}, false, S_OK, {}, A{std::int32_t{0}}},
      {u"setupdatetype", V{nullptr}, false, DISP_E_TYPEMISMATCH, {}, A{}},
      {u"setupdatetype", V{T(u"weekly")}, false, DISP_E_TYPEMISMATCH, {}, A{}},
      {u"setupdatetype", V{ScriptObject{}}, false, DISP_E_TYPEMISMATCH, {}, A{}},
      {u"cheatRegistry", V{true}, false, S_OK, {}, A{true}},
      {u"cheatRegistry", V{0.0}, false, S_OK, {}, A{false}},
      {u"messageBox", V{T(u"正文"), T(u"标题")}, false, S_OK, {}, A{T(u"正文"), T(u"标题")}},
      {u"downloadingBox", V{1.0, T(u"t"), 3.0}, false, S_OK, {}, A{std::int32_t{1}, T(u"t"), T(u"3")}},
      {u"getFirst", V{}, true, S_OK, 2000, A{}},
      {u"getFirst", V{}, false, S_OK, 2000, A{}},
      {u"check", V{}, true, DISP_E_MEMBERNOTFOUND, {}, A{}},
      {u"fix", V{}, false, DISP_E_BADPARAMCOUNT, {}, A{}},
      {u"stop", V{1.0, 2.0}, false, DISP_E_BADPARAMCOUNT, {}, A{}},
      {u"noSuchMethod", V{1.0}, false, DISP_E_UNKNOWNNAME, {}, A{}},
      {u"GetFirst", V{}, true, DISP_E_UNKNOWNNAME, {}, A{}},
  };
  for (const Case& c : cases) {
    RecordingTarget target;
    auto* dispatch = new ExternalDispatch(target);
    const PageCallOutcome outcome =
        InvokePageCall(*dispatch, ExternalMethodCall{c.name, c.propertyRead, c.values});
    dispatch->Release();
    const std::string label = testing::PrintToString(std::u16string(c.name)) + " " +
                              testing::PrintToString(c.values.size());
    EXPECT_EQ(outcome.status, c.status) << label << " " << DescribeDispatchError(outcome.status);
    EXPECT_EQ(outcome.result, c.result) << label;
    if (SUCCEEDED(c.status)) {
      ASSERT_EQ(target.calls.size(), 1u) << label;
      EXPECT_EQ(target.calls[0].name, c.name);
      EXPECT_EQ(target.calls[0].arguments, c.received) << label;
    } else {
      EXPECT_TRUE(target.calls.empty()) << label;
    }
  }
}

}  // namespace
}  // namespace tessaly::win32
