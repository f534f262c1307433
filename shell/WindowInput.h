#pragma once

#include <cstdint>

namespace tessaly {

// What a left-button press in the window's client area does. The page has no caption bar
// of its own; its top band (y up to 37) moves the window, except where its three title
// buttons lie, which get the press.
enum class BandPress {
  LeaveToPage,
  // Start a window move at once: the left part of the band, which holds only the title.
  MoveNow,
  // Start a window move after the page has seen the press.
  MoveAfterPage,
};
BandPress ClassifyBandPress(std::int32_t clientX, std::int32_t clientY);

// Whether a key press is kept from the page: Ctrl+N (new window), Ctrl+F (search), F5
// (reload), Esc and Enter (which would end the dialog). `virtualKey` as Windows numbers
// keys.
bool IsKeyWithheldFromPage(std::uint32_t virtualKey, bool controlDown);

}  // namespace tessaly
