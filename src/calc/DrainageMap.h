#pragma once
// The drainage map ("Mapa de Escoamento"): every stake coloured by its
// ponding depth where water stands and by the area draining through it
// where it runs, arrows of the flow thinned to one every few stakes, a
// legend with the figures and, for a georeferenced project, a north arrow.
// The map window shows it, the clipboard, the printout and nivora-cli take
// the same drawing.

#include "calc/Drainage.h"
#include "data/ProjectExtension.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace nivora {

class TTerreno;

struct TDrainageMap {
    TDrainage Result;
    TDrainSurface Surface = TDrainSurface::Natural;
    // The outlets the user gave (drawn as dots); empty for the border.
    std::vector<std::pair<std::int32_t, std::int32_t>> UserOutlets;
    double Lx = 0, Ly = 0;
    // The least-fall check of a design.
    std::optional<TFallCheck> Fall;
    // Where the field lies, for the north arrow, and its system's name
    // (which the caller, knowing the projection database, fills in).
    std::optional<TGeoreference> Georeference;
    std::string CrsName;
};

// The drainage of `terrain`'s surface over DrainageArea with border outlets,
// or the outlets given; for the design, with its least fall checked
// against `minFall` (m/m). An empty area gives a map with no stakes.
TDrainageMap BuildDrainageMap(const TTerreno& terrain, TDrainSurface surface, double minFall,
                              const std::vector<std::pair<std::int32_t, std::int32_t>>& outlets = {});

// The classes of the map. Depths (m) up to each limit, the last class beyond
// the last limit; the areas draining through a dry stake in stakes, up to
// 10, 100, 1000 and beyond.
inline constexpr double kDepthLimits[] = {0.02, 0.05, 0.10, 0.20, 0.50};
inline constexpr int kDepthClasses = 6;
inline constexpr int kAccumulationClasses = 4;
int DepthClass(double depth);                // 0..5; -1 for a dry stake
int AccumulationClass(std::int32_t stakes);  // 0..3
QColor DepthColour(int depthClass);
QColor AccumulationColour(int accumulationClass);
inline const QColor kUndrainedColour{160, 160, 160};
inline const QColor kNoStakeColour{255, 255, 255};
// The colour of one stake, by the rules above.
QColor StakeColour(const TDrainageMap& map, std::size_t index);

// Where the parts lie in the picture, in its pixels.
struct TDrainageLayout {
    QSize Size;
    QRect Map;  // the stakes, first row at the top
    int CellWidth = 1, CellHeight = 1;
    int ArrowStep = 1;  // an arrow every so many stakes along each axis
    QRect Legend;
};
TDrainageLayout DrainageLayout(const TDrainageMap& map);

// Draws the picture with its top-left corner at the painter's origin, in
// the layout's pixels; any scale the painter has applies.
void DrawDrainageMap(QPainter& painter, const TDrainageMap& map, char decimalSeparator);
// The picture at its own size, on white.
QImage DrainageImage(const TDrainageMap& map, char decimalSeparator);

// The lines of figures the legend ends with, as the report gives them too.
std::vector<std::string> DrainageFigures(const TDrainageMap& map, char decimalSeparator);

}  // namespace nivora
