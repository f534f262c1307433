#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/xml/OpenElementStack.h"

namespace tessaly {
namespace {

// The stack against a plain list searched from the top: the index it builds for deep
// stacks must answer exactly like the plain search, through pushes and pops of repeated
// names, on both sides of the depth where it starts indexing.
TEST(OpenElementStack, AgreesWithAPlainSearchFromTheTop) {
  const std::string names = "abcdefgh";  // document: each name is one byte of it
  OpenElementStack stack(names);
  std::vector<char> model;
  std::mt19937 random(7);
  for (int step = 0; step < 200000; ++step) {
    const auto name = static_cast<std::size_t>(random() % names.size());
    const auto action = random() % 10;
    if (step % 5000 == 0) {  // back to shallow stacks now and then
      stack.PopAbove(0);
      model.clear();
    } else if (action < 5 && model.size() < 120) {
      stack.Push(static_cast<std::uint32_t>(model.size() + 1), name, 1);
      model.push_back(names[name]);
    } else if (action < 9) {
      std::size_t expected = 0;
      for (std::size_t level = model.size(); level > 0; --level) {
        if (model[level - 1] == names[name]) {
          expected = level;
          break;
        }
      }
      ASSERT_EQ(stack.FindInnermost(names.substr(name, 1)), expected) << "step " << step;
      if (expected != 0 && action == 8) {
        stack.PopAbove(expected - 1);
        model.resize(expected - 1);
      }
    } else if (!model.empty()) {
      stack.PopAbove(model.size() - 1);
      model.pop_back();
    }
    ASSERT_EQ(stack.Depth(), model.size());
    ASSERT_EQ(stack.InnermostRecord(), model.size());
  }
}

}  // namespace
}  // namespace tessaly
