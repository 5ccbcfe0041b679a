#pragma once
// The block diagram: the field seen obliquely from its front left, heights
// exaggerated, the natural surface as a wire frame over the design shaded
// in the colours of cut (red) and fill (blue), deeper darker. Quads are
// painted from the back to the front, so that the nearer hide the farther; a
// grid of more than 250 stakes a side is drawn through every k-th stake.
// The design is read through the terrain's CutFill, so every kind of plan
// draws.

#include "data/GridTypes.h"

#include <QSizeF>

class QPainter;

namespace nivora {

class TTerreno;

struct TBlockOptions {
    // Heights times this; 0 chooses one that stands the relief at about a
    // quarter of the field's width.
    double Exaggeration = 0;
};

// The size of the picture of `area`, in pixels at 96 per inch.
constexpr int kBlockWidth = 1000;
constexpr int kBlockHeight = 700;

// Draws the diagram of `area` (clipped to the grid) of the terrain's current
// plan to fill `size` of the painter's device; false, nothing drawn, when the
// area has no 2 x 2 stakes with elevation. `usedExaggeration` receives the
// exaggeration drawn with.
bool DrawBlockDiagram(QPainter& painter, const QSizeF& size, const TTerreno& terrain, const TUsedRect& area,
                      const TBlockOptions& options = {}, double* usedExaggeration = nullptr);

}  // namespace nivora
