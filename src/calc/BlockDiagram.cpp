#include "calc/BlockDiagram.h"

#include "calc/CalcSist.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace nivora {

namespace {

constexpr int kMostQuads = 250;

// The depth of a row is drawn up and to the right at this share of its
// distance.
constexpr double kDepthX = 0.45, kDepthY = 0.35;

QColor CutFillColour(double depth, double deepest)
{
    const double f = deepest > 0 ? std::min(1.0, std::fabs(depth) / deepest) : 0;
    const int light = static_cast<int>(std::lround(225 - 135 * f));
    return depth < 0 ? QColor(235, light, light) : QColor(light, light, 240);
}

}  // namespace

bool DrawBlockDiagram(QPainter& painter, const QSizeF& size, const TTerreno& t, const TUsedRect& area,
                      const TBlockOptions& options, double* usedExaggeration)
{
    const TUsedRect r{std::max(area.FirstCol, 1), std::max(area.FirstRow, 1), std::min(area.LastCol, t.ColCount()),
                      std::min(area.LastRow, t.RowCount())};
    if (r.LastCol - r.FirstCol < 1 || r.LastRow - r.FirstRow < 1)
        return false;
    const int step =
        std::max(1, (std::max(r.LastCol - r.FirstCol, r.LastRow - r.FirstRow) + kMostQuads - 1) / kMostQuads);
    std::vector<int> cols, rows;
    for (int c = r.FirstCol; c < r.LastCol; c += step)
        cols.push_back(c);
    cols.push_back(r.LastCol);
    for (int j = r.FirstRow; j < r.LastRow; j += step)
        rows.push_back(j);
    rows.push_back(r.LastRow);

    // The sampled stakes: natural and design elevations, and the cut or fill.
    const std::size_t w = cols.size(), h = rows.size();
    std::vector<double> natural(w * h, 0), design(w * h, 0), cutFill(w * h, 0);
    std::vector<bool> has(w * h, false);
    double low = 1e300, high = -1e300, deepest = 0;
    for (std::size_t j = 0; j < h; ++j)
        for (std::size_t i = 0; i < w; ++i) {
            const long double d = t.CutFill(cols[i], rows[j]);
            if (d == TTerreno::NoValue)
                continue;
            const std::size_t k = j * w + i;
            has[k] = true;
            natural[k] = t.GetCell(cols[i], rows[j]);
            cutFill[k] = static_cast<double>(d);
            design[k] = natural[k] + cutFill[k];
            low = std::min({low, natural[k], design[k]});
            high = std::max({high, natural[k], design[k]});
            deepest = std::max(deepest, std::fabs(cutFill[k]));
        }
    if (low > high)
        return false;

    // Field coordinates: x east along the columns, depth back from the last
    // row (row 1 is the far edge).
    const double lx = static_cast<double>(static_cast<long double>(t.Lx()));
    const double ly = static_cast<double>(static_cast<long double>(t.Ly()));
    const double width = lx * (r.LastCol - r.FirstCol), depth = ly * (r.LastRow - r.FirstRow);
    double exaggeration = options.Exaggeration;
    if (!(exaggeration > 0))
        exaggeration = high > low ? std::clamp(0.25 * std::max(width, depth) / (high - low), 1.0, 1000.0) : 1.0;
    if (usedExaggeration)
        *usedExaggeration = exaggeration;
    const auto project = [&](std::size_t i, std::size_t j, double z) {
        const double x = lx * (cols[i] - r.FirstCol), back = ly * (r.LastRow - rows[j]);
        return QPointF(x + kDepthX * back, -(kDepthY * back + exaggeration * (z - low)));
    };
    // The picture's extent, then a scale and offset that fit it in `size`
    // with a margin.
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (std::size_t j = 0; j < h; ++j)
        for (std::size_t i = 0; i < w; ++i)
            if (has[j * w + i])
                for (const double z : {natural[j * w + i], design[j * w + i]}) {
                    const QPointF p = project(i, j, z);
                    minX = std::min(minX, p.x());
                    maxX = std::max(maxX, p.x());
                    minY = std::min(minY, p.y());
                    maxY = std::max(maxY, p.y());
                }
    const double margin = 0.04 * std::min(size.width(), size.height());
    const double scale = std::min((size.width() - 2 * margin) / std::max(maxX - minX, 1e-9),
                                  (size.height() - 2 * margin) / std::max(maxY - minY, 1e-9));
    const QPointF offset(margin + (size.width() - 2 * margin - scale * (maxX - minX)) / 2 - scale * minX,
                         margin + (size.height() - 2 * margin - scale * (maxY - minY)) / 2 - scale * minY);
    const auto at = [&](std::size_t i, std::size_t j, double z) { return project(i, j, z) * scale + offset; };
    // The wire frame's lines at least 6 pixels apart: every k-th line of the
    // quads drawn.
    const double quadPixels = scale * std::min(lx, ly) * step;
    const std::size_t every = quadPixels > 0 ? std::size_t(std::max(1.0, std::ceil(6 / quadPixels))) : 1;

    painter.save();
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    const QPen wire(QColor(60, 60, 60), 0);
    // Back rows first; within a row the far (right) quads first.
    for (std::size_t j = 0; j + 1 < h; ++j)
        for (std::size_t i = w - 1; i-- > 0;) {
            const std::size_t k[4] = {j * w + i, j * w + i + 1, (j + 1) * w + i + 1, (j + 1) * w + i};
            if (!has[k[0]] || !has[k[1]] || !has[k[2]] || !has[k[3]])
                continue;
            const std::size_t ii[4] = {i, i + 1, i + 1, i}, jj[4] = {j, j, j + 1, j + 1};
            QPolygonF quad, ground;
            for (int n = 0; n < 4; ++n) {
                quad << at(ii[n], jj[n], design[k[n]]);
                ground << at(ii[n], jj[n], natural[k[n]]);
            }
            const double mean = (cutFill[k[0]] + cutFill[k[1]] + cutFill[k[2]] + cutFill[k[3]]) / 4;
            painter.setPen(Qt::NoPen);
            painter.setBrush(CutFillColour(mean, deepest));
            painter.drawPolygon(quad);
            painter.setPen(wire);
            if (j % every == 0)
                painter.drawLine(ground[0], ground[1]);
            if ((i + 1) % every == 0 || i + 2 == w)
                painter.drawLine(ground[1], ground[2]);
            if (j + 2 == h)
                painter.drawLine(ground[2], ground[3]);
            if (i == 0)
                painter.drawLine(ground[3], ground[0]);
        }
    painter.restore();
    return true;
}

}  // namespace nivora
