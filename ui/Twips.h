#pragma once

#include <QRect>

namespace mirado::ui {

// The windows are laid out in twips; 15 twips make one pixel at 96 dots per
// inch, and Qt's high-DPI scaling takes care of other densities.
inline constexpr int kTwipsPerPixel = 15;

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

}  // namespace mirado::ui
