#pragma once

// The window's places in device pixels at a scale factor, and the inset frame expected round
// the mass box there: what the offscreen and the Xvfb scaling tests both check.

#include <vector>

#include <QPoint>
#include <QRect>
#include <QRgb>

namespace Varnock::Testing {

constexpr QRgb Grey = qRgb(127, 127, 127);
constexpr QRgb White = qRgb(255, 255, 255);

// Qt puts an edge at device-independent position P on device pixel boundary round(P * factor).
inline int Device(double Position, double Factor) {
    return qRound(Position * Factor);
}
inline QRect DeviceRect(QRect Pixels, double Factor) {
    return QRect(QPoint(Device(Pixels.left(), Factor), Device(Pixels.top(), Factor)),
                 QPoint(Device(Pixels.left() + Pixels.width(), Factor) - 1,
                        Device(Pixels.top() + Pixels.height(), Factor) - 1));
}

struct FrameLine {
    const char* Edge;
    QPoint From, To; // inclusive
    QRgb Colour;     // 0: the window's own colour
};

// The frame round the mass box, drawn where Box is in device pixels: grey above and left,
// white below and right, one device pixel wide, with the window's colour beyond each line and
// past its ends. The top and right lines run on two pixels (30 twips) past the corner.
inline std::vector<FrameLine> InsetFrameLines(QRect Box, double Factor) {
    const int L = Box.left(), T = Box.top(), R = Box.right(), B = Box.bottom();
    const int TopFrom = Device(220, Factor), RightFrom = Device(42, Factor);
    return {
        {"top", {TopFrom, T - 1}, {R, T - 1}, Grey},
        {"crossing", {R + 1, T - 1}, {R + 1, T - 1}, White},
        {"left", {L - 1, T}, {L - 1, B}, Grey},
        {"bottom", {L - 1, B + 1}, {R + 1, B + 1}, White},
        {"right", {R + 1, RightFrom}, {R + 1, B + 1}, White},
        {"above top", {L, T - 2}, {R, T - 2}, 0},
        {"left of left", {L - 2, T}, {L - 2, B}, 0},
        {"below bottom", {L - 1, B + 2}, {R + 2, B + 2}, 0},
        {"right of right", {R + 2, RightFrom}, {R + 2, B + 1}, 0},
        {"before top", {TopFrom - 1, T - 1}, {TopFrom - 1, T - 1}, 0},
        {"above right", {R + 1, RightFrom - 1}, {R + 1, RightFrom - 1}, 0},
    };
}

} // namespace Varnock::Testing
