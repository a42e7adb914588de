#pragma once

// The isotope pattern as a stick plot: one stick a peak, m/z (or mass) along the axis,
// intensity in percent of the highest peak upwards, the tallest peaks labelled with their
// mass where their labels do not run into each other.

#include <vector>

#include <QWidget>

#include "core/Analysis.h"

namespace Varnock {

// Tick values for an axis from Low to High: multiples of one step of 1, 2 or 5 times a power of
// ten, the smallest such step that gives at most MostTicks ticks inside the range.
std::vector<double> AxisTicks(double Low, double High, int MostTicks);

class PatternPlot : public QWidget {
public:
    explicit PatternPlot(QWidget* Parent = nullptr);

    void SetPattern(std::vector<PatternPeak> Peaks, bool Charged, char DecimalSeparator);

    // Draws the plot filling Size on any painter: the widget, an image or an SVG file, with
    // Title above it when there is one. Lines and sticks lie on whole device pixels of the
    // painter's device, so they stay sharp at any density.
    void Draw(QPainter& Painter, QSize Size, const QString& Title = QString()) const;

    // Saves the plot titled Title, laid out at its size on screen: PNG at twice the screen's
    // pixels, or SVG where the SVG module (Qt Svg's) is beside the program, chosen by the
    // file's suffix. The file is written under a temporary name and renamed when whole, so a
    // failed save leaves no part of a file and an older file of that name as it was. False,
    // with the reason in Failure, when it can't be written or the kind is not offered.
    bool Save(const QString& Path, const QString& Title, QString* Failure = nullptr) const;
    static bool SavesSvg();
    // Where the SVG module is looked for, when not in the program's folder (ending in '/').
    static void SetModuleFolder(const QString& Folder);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    std::vector<PatternPeak> Peaks;
    bool Charged = false;
    char Separator = '.';
};

} // namespace Varnock
