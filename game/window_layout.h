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

// Where the client picture starts along one axis of size pixels: centred, and where it is
// larger than the window, moved no further than keeps the playfield (at margin inside it) whole.
constexpr int PlaceClient(int size, int client, int margin, int playfield, int scale) {
    const int extra = size - client * scale;
    if (extra >= 0) {
        return extra / 2;
    }
    if (size < playfield * scale) {
        return 0;
    }
    const int centred = (extra - 1) / 2;  // extra / 2 rounded down, extra being negative
    const int least = -margin * scale;
    const int most = size - (playfield + margin) * scale;
    return centred < least ? least : centred > most ? most : centred;
}

// The largest whole scale at which the playfield fits into width x height (1 when it does not
// fit at all), chosen by the playfield alone: a maximised window (1920 x 1010 inside) shows the
// playfield at 2x although the client picture at 2x (1226 x 1014) does not quite fit. The client
// picture is centred; where it does not fit, its frame is cut, but never the playfield. A window
// too small for even the playfield at 1x shows the picture from its top-left corner.
constexpr WindowLayout ComputeLayout(int width, int height) {
    WindowLayout layout;
    const int byWidth = width / kPlayfieldWidth;
    const int byHeight = height / kPlayfieldHeight;
    layout.scale = byWidth < byHeight ? byWidth : byHeight;
    if (layout.scale < 1) {
        layout.scale = 1;
    }
    layout.offsetX =
        PlaceClient(width, kClientWidth, kPlayfieldLeft, kPlayfieldWidth, layout.scale);
    layout.offsetY =
        PlaceClient(height, kClientHeight, kPlayfieldTop, kPlayfieldHeight, layout.scale);
    return layout;
}

}  // namespace game
