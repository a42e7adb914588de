#pragma once

// What a screenshot of the window must show, wherever it was taken.

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

namespace Varnock::Testing {

// Drawn at all, and with the address in blue.
inline void ExpectWindowDrawn(const QImage& Shot) {
    QSet<QRgb> Colours;
    int Blue = 0;
    for (int Y = 0; Y < Shot.height(); ++Y)
        for (int X = 0; X < Shot.width(); ++X) {
            Colours.insert(Shot.pixel(X, Y));
            Blue += Shot.pixel(X, Y) == qRgb(0, 0, 255);
        }
    EXPECT_GT(Colours.size(), 8) << "the screenshot is blank";
    EXPECT_GT(Blue, 20) << "the address is not drawn in blue";
}

} // namespace Varnock::Testing
