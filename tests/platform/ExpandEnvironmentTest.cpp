#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/WideEnvironment.h"

namespace tessaly {
namespace {

// Answers a scripted expansion, whatever the text.
class ScriptedEnvironment final : public WideEnvironment {
 public:
  std::optional<std::u16string> expansion;
  std::optional<std::u16string> ExpandWide(std::u16string_view) const override { return expansion; }
};

TEST(ExpandEnvironmentTest, ExpansionsThatFitThePathBufferComeBackWhole) {
  ScriptedEnvironment environment;
  environment.expansion = u"C:\\Windows\\system32\\drivers\\etc\\hosts";
  EXPECT_EQ(ExpandEnvironment(environment, u"%SystemRoot%\\system32\\drivers\\etc\\hosts"),
            u"C:\\Windows\\system32\\drivers\\etc\\hosts");

  environment.expansion = std::u16string(kMaxExpandedChars, u'p');
  EXPECT_EQ(ExpandEnvironment(environment, u"%DEEP%"), *environment.expansion);
}

TEST(ExpandEnvironmentTest, LongerExpansionsAndFailuresAreEmptyNeverCut) {
  ScriptedEnvironment environment;
  environment.expansion = std::u16string(kMaxExpandedChars + 1, u'p');
  EXPECT_EQ(ExpandEnvironment(environment, u"%DEEP%"), u"");
  environment.expansion = std::nullopt;
  EXPECT_EQ(ExpandEnvironment(environment, u"%SystemRoot%"), u"");
}

}  // namespace
}  // namespace tessaly
