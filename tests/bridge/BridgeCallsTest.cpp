#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "shell/bridge/PageCallForm.h"
#include "shell/bridge/QueuedPageSink.h"

namespace tessaly {
namespace {

TEST(BridgeCallsTest, DecodesTheScriptsCallForm) {
  const std::optional<ExternalMethodCall> call = ParsePageCall(
      "m=messageBox&a=s%E4%BD%A0%E5%A5%BD+there&a=n-12.5&a=b1&a=b0&a=u&a=z&a=o&a=n1e%2B21"
      "&a=nNaN&a=s");
  ASSERT_TRUE(call);
  EXPECT_EQ(call->name, u"messageBox");
  EXPECT_FALSE(call->propertyRead);
  ASSERT_EQ(call->arguments.size(), 10u);
  EXPECT_EQ(std::get<std::u16string>(call->arguments[0]), u"你好 there");
  EXPECT_EQ(std::get<double>(call->arguments[1]), -12.5);
  EXPECT_EQ(std::get<bool>(call->arguments[2]), true);
  EXPECT_EQ(std::get<bool>(call->arguments[3]), false);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(call->arguments[4]));
  EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(call->arguments[5]));
  EXPECT_TRUE(std::holds_alternative<ScriptObject>(call->arguments[6]));
  EXPECT_EQ(std::get<double>(call->arguments[7]), 1e21);
  EXPECT_TRUE(std::isnan(std::get<double>(call->arguments[8])));
  EXPECT_EQ(std::get<std::u16string>(call->arguments[9]), u"");

  const std::optional<ExternalMethodCall> read = ParsePageCall("m=getFirst&r=1");
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->propertyRead);
  EXPECT_TRUE(read->arguments.empty());
  // A name the table does not know still decodes: the program refuses it, not the form.
  EXPECT_EQ(ParsePageCall("m=noSuchMethod")->name, u"noSuchMethod");
}

TEST(BridgeCallsTest, RefusesBrokenForms) {
  std::string tooMany = "m=check";
  for (std::size_t i = 0; i <= kMaxPageCallArguments; ++i) {
    tooMany += "&a=n1";
  }
  const std::string broken[] = {
      "", "a=n1", "m=", "m=check&m=fix", "m=getFirst&r=1&a=n1", "m=check&r=0", "m=check&r=1&r=1",
      "m=check&x=1", "m=check&a", "m=check&a=", "m=check&a=q1", "m=check&a=b2", "m=check&a=ux",
      "m=check&a=n", "m=check&a=n12abc", "m=check&a=n0x10", "m=check&a=n1e999", "m=che%2",
      "m=che%zz", "m=%FF%FE", "m=%C0%AF", "m=check&&a=n1", tooMany,
  };
  for (const std::string& body : broken) {
    EXPECT_FALSE(ParsePageCall(body)) << body;
  }
}

TEST(BridgeCallsTest, AnswersAreJsonLines) {
  EXPECT_EQ(PageCallAnswer(1), "{\"result\":1}");
  EXPECT_EQ(PageCallAnswer(std::nullopt), "{}");
  EXPECT_EQ(PageCallRefusal("DISP_E_UNKNOWNNAME \"x\""), "{\"error\":\"DISP_E_UNKNOWNNAME \\\"x\\\"\"}");
}

TEST(BridgeCallsTest, QueuesPageCallsInOrderUntilTakenAndDropsPastItsBound) {
  QueuedPageSink page(4);
  page.setState(0, 2, 1002);
  page.setState(1, 8, u"Internet Explorer \"8\"");
  page.clearState(804, 12);
  page.setTab(u"one", 5, 5);
  page.ShowDivc(1);  // past the bound
  EXPECT_EQ(page.Take(),
            "{\"fn\":\"setState\",\"args\":[0,2,1002]}\n"
            "{\"fn\":\"setState\",\"args\":[1,8,\"Internet Explorer \\\"8\\\"\"]}\n"
            "{\"fn\":\"clearState\",\"args\":[804,12]}\n"
            "{\"fn\":\"setTab\",\"args\":[\"one\",5,5]}\n");
  EXPECT_EQ(page.dropped(), 1u);
  EXPECT_EQ(page.Take(), "");
  page.setUserTypeUI();
  page.ShowDivc(1);
  EXPECT_EQ(page.Take(),
            "{\"fn\":\"setUserTypeUI\",\"args\":[]}\n"
            "{\"fn\":\"ShowDivc\",\"args\":[1]}\n");
}

}  // namespace
}  // namespace tessaly
