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

    // Draws the plot filling Size on any painter: the widget, an image or an SVG file. Lines
    // and sticks lie on whole device pixels of the painter's device, so they stay sharp at
    // any density.
    void Draw(QPainter& Painter, QSize Size) const;

    // Saves the plot at its size on screen: PNG, or SVG where the SVG module (Qt Svg's) is
    // beside the program, chosen by the file's suffix. False when the file can't be written or
    // the kind is not offered.
    bool Save(const QString& Path) const;
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
