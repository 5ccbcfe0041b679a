#pragma once
// The mass curves of a haul as a chart: the net cut before each line between
// columns (along X) and between rows (along Y), drawn against the distance
// from the area's first stake, with the zero line and labelled axes. The
// window, its copy and its printout all draw it here.

#include "calc/Haul.h"

#include <QRectF>

class QPainter;

namespace nivora {

// Draws the chart into `target` of the painter's device, with text of
// `points` points at the device's resolution and numbers with `separator`.
void DrawMassCurves(QPainter& painter, const QRectF& target, const THaulResult& haul, char separator, qreal points = 8);

}  // namespace nivora
