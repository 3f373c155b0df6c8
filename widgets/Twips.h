#pragma once
// Window geometry is laid out in twips, 15 to a pixel. Every conversion goes through these helpers.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}
constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

inline QSize TwipSize(int width, int height) {
    return {TwipsToPixels(width), TwipsToPixels(height)};
}
inline QRect TwipRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}
inline QSize SizeInTwips(QSize pixels) {
    return {PixelsToTwips(pixels.width()), PixelsToTwips(pixels.height())};
}

// The outer size of a window with a menu bar counts its border, caption and menu bar. Qt sizes only the
// area under the menu bar, so outer sizes are converted with this nominal frame: two 4-pixel borders
// across, and a 47-pixel band of caption, menu bar and borders down.
inline constexpr int kMenuFrameWidthTwips = 120;
inline constexpr int kMenuFrameHeightTwips = 705;

inline QSize OuterToInnerTwips(QSize outer) {
    return {outer.width() - kMenuFrameWidthTwips, outer.height() - kMenuFrameHeightTwips};
}
inline QSize InnerToOuterTwips(QSize inner) {
    return {inner.width() + kMenuFrameWidthTwips, inner.height() + kMenuFrameHeightTwips};
}

// The twip layouts were drawn for an 8-point dialog font; a larger one would cut their captions.
inline void UseLayoutFont(QWidget& window) {
    QFont font = window.font();
    font.setPointSizeF(8);
    window.setFont(font);
}
