#include "shell/WindowInput.h"

namespace tessaly {
namespace {

constexpr std::int32_t kBandBottom = 37;
constexpr std::int32_t kTitleOnlyRight = 204;

struct Span {
  std::int32_t low;
  std::int32_t high;
  constexpr bool ContainsStrictly(std::int32_t v) const { return low < v && v < high; }
};
constexpr Span kTitleButtonRows{10, 22};
// The menu, minimise and close buttons.
constexpr Span kTitleButtonColumns[] = {{413, 461}, {470, 495}, {504, 529}};

constexpr std::uint32_t kKeyEnter = 0x0D;
constexpr std::uint32_t kKeyEscape = 0x1B;
constexpr std::uint32_t kKeyF5 = 0x74;

bool OnTitleButton(std::int32_t x, std::int32_t y) {
  if (!kTitleButtonRows.ContainsStrictly(y)) {
    return false;
  }
  for (const Span& columns : kTitleButtonColumns) {
    if (columns.ContainsStrictly(x)) {
      return true;
    }
  }
  return false;
}

}  // namespace

BandPress ClassifyBandPress(std::int32_t clientX, std::int32_t clientY) {
  if (clientX < 0 || clientY < 0 || clientY > kBandBottom) {
    return BandPress::LeaveToPage;
  }
  if (clientX <= kTitleOnlyRight) {
    return BandPress::MoveNow;
  }
  return OnTitleButton(clientX, clientY) ? BandPress::LeaveToPage : BandPress::MoveAfterPage;
}

bool IsKeyWithheldFromPage(std::uint32_t virtualKey, bool controlDown) {
  if (controlDown && (virtualKey == 'N' || virtualKey == 'F')) {
    return true;
  }
  return virtualKey == kKeyF5 || virtualKey == kKeyEscape || virtualKey == kKeyEnter;
}

}  // namespace tessaly
