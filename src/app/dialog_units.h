// Dialog units to pixels, for the 8-point dialog font at 96 dpi the layout was drawn for:
// one horizontal unit is 1.5 pixels, one vertical unit 1.625 pixels.
#pragma once

#include <QRect>

constexpr int dlu_x(int units) { return (units * 3 + 1) / 2; }
constexpr int dlu_y(int units) { return (units * 13 + 4) / 8; }

inline QRect dlu_rect(int x, int y, int width, int height)
{
    const int left = dlu_x(x), top = dlu_y(y);
    return QRect(left, top, dlu_x(x + width) - left, dlu_y(y + height) - top);
}
