#pragma once

// Where the 613 x 507 client picture goes in a window of any size, and how mouse positions map
// back to playfield pixels. The picture scales by whole multiples only, so every pixel stays
// sharp, and is centred with bars around it.

#include <cmath>

#include "game/game.h"

namespace game {

struct WindowLayout {
    int scale = 1;    // whole multiple, at least 1
    int offsetX = 0;  // top-left of the client picture in the window
    int offsetY = 0;

    // The playfield's rectangle in window pixels.
    int PlayfieldLeft() const { return offsetX + kPlayfieldLeft * scale; }
    int PlayfieldTop() const { return offsetY + kPlayfieldTop * scale; }
    int PlayfieldWidth() const { return kPlayfieldWidth * scale; }
    int PlayfieldHeight() const { return kPlayfieldHeight * scale; }

    // The playfield pixel under a window pixel: every window pixel of a scaled-up playfield
    // pixel gives that pixel's whole coordinates, as the unscaled window does. Positions outside
    // the playfield (the mouse is captured while a button is held) map outside 0 .. 599 and
    // 0 .. 479 alike.
    float ToPlayfieldX(int windowX) const { return Map(windowX - PlayfieldLeft()); }
    float ToPlayfieldY(int windowY) const { return Map(windowY - PlayfieldTop()); }

    bool operator==(const WindowLayout&) const = default;

  private:
    float Map(int offset) const {
        return std::floor(static_cast<float>(offset) / static_cast<float>(scale));
    }
};

// The largest whole scale at which the client picture fits into width x height (1 when it does
// not fit at all: the picture is then cut at the right and bottom), centred.
constexpr WindowLayout ComputeLayout(int width, int height) {
    WindowLayout layout;
    const int byWidth = width / kClientWidth;
    const int byHeight = height / kClientHeight;
    layout.scale = byWidth < byHeight ? byWidth : byHeight;
    if (layout.scale < 1) {
        layout.scale = 1;
    }
    const int extraX = width - kClientWidth * layout.scale;
    const int extraY = height - kClientHeight * layout.scale;
    layout.offsetX = extraX > 0 ? extraX / 2 : 0;
    layout.offsetY = extraY > 0 ? extraY / 2 : 0;
    return layout;
}

}  // namespace game
