#pragma once
// The profile as a chart: distance along the line across, elevation up, the
// natural ground and the design, the cut between them in red and the fill in
// blue, the stations ticked along the bottom, the design's slope written over
// each leg and the vertical exaggeration in the caption. The same drawing
// serves the window, the clipboard, the printed page and nivora-cli's SVG.

#include "calc/Profile.h"

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace nivora {

struct TProfileChartOptions {
    // How many times the vertical scale exceeds the horizontal one; 0 fits
    // the elevations into the chart's height.
    double Exaggeration = 0;
    char DecimalSeparator = ',';
    // The font's points are for this resolution (the device's by default).
    int Ppi = 96;
};

// The colours of the chart, shared with its legends.
inline const QColor kProfileCutColour{220, 40, 40};
inline const QColor kProfileFillColour{40, 90, 220};
inline const QColor kProfileNaturalColour{90, 60, 20};
inline const QColor kProfileDesignColour{0, 130, 60};

// The exaggeration the chart uses in `target` (the one asked for, or the one
// that fits the elevations).
double ProfileExaggeration(const TProfile& profile, const QRectF& target, const TProfileChartOptions& options);

// Draws the chart into `target` of the painter's device.
void DrawProfileChart(QPainter& painter, const TProfile& profile, const QRectF& target,
                      const TProfileChartOptions& options);

// "−0,107 %": a slope in percent with three decimals.
QString SlopeText(long double slope, char decimalSeparator);

}  // namespace nivora
