#include "CutFillMap.h"

#include "calc/CalcSist.h"
#include "calc/StakeCoordinates.h"
#include "contour/AltimetricMap.h"
#include "contour/MapGeometry.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

namespace nivora {

const QList<QRgb>& CutFillPalette()
{
    static const QList<QRgb> palette = [] {
        QList<QRgb> p;
        p.reserve(256);
        for (int i = 0; i < 256; ++i) {
            const TRgb c = CutFillColour(static_cast<std::uint8_t>(i));
            p.append(qRgb(c.R, c.G, c.B));
        }
        return p;
    }();
    return palette;
}

void FillCell(QImage& bitmap, const QRect& cell, uchar index)
{
    if (bitmap.depth() != 8)
        throw std::invalid_argument("FillCell: the bitmap must have 8 bits a pixel");
    const QRect r = cell.intersected(bitmap.rect());
    if (r.isEmpty())
        return;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memset(bitmap.scanLine(y) + r.left(), index, std::size_t(r.width()));
}

long double TCutFillMap::CutFill(std::int32_t col, std::int32_t row) const
{
    if (col < Area.FirstCol || col > Area.LastCol || row < Area.FirstRow || row > Area.LastRow)
        return TTerreno::NoValue;
    const std::size_t columns = std::size_t(Area.LastCol - Area.FirstCol + 1);
    const std::size_t k = std::size_t(row - Area.FirstRow) * columns + std::size_t(col - Area.FirstCol);
    if (k >= CutFills.size() || std::isnan(CutFills[k]))
        return TTerreno::NoValue;
    return CutFills[k];
}

std::string TCutFillMap::Readout(std::int32_t col, std::int32_t row, char sep) const
{
    const std::size_t c = std::size_t(col - Area.FirstCol), r = std::size_t(row - Area.FirstRow);
    if (col < Area.FirstCol || row < Area.FirstRow || c >= StakeX.size() || r >= StakeY.size())
        return std::string();
    return CutFillReadout(StakeX[c], StakeY[r], RealCoordinates, CutFill(col, row), sep);
}

TCutFillMap BuildCutFillMap(const TTerreno& t, IProgress* progress)
{
    const TUsedRect a = t.LastArea();
    const std::int64_t columns = std::int64_t{a.LastCol} - a.FirstCol + 1;
    const std::int64_t rows = std::int64_t{a.LastRow} - a.FirstRow + 1;
    // Refused, like a bitmap that cannot be had, before the gauge appears,
    // so that it is not left showing.
    if (columns < 1 || rows < 1 || columns > MaxGridSize || rows > MaxGridSize)
        throw std::invalid_argument("A área do mapa de cortes e aterros não é válida.");

    TCutFillMap map;
    map.Area = a;
    map.Georeference = t.Extension().Georeference;
    map.Lx = static_cast<double>(static_cast<long double>(t.Lx()));
    map.Ly = static_cast<double>(static_cast<long double>(t.Ly()));
    map.Plan = t.Plans()[0];
    map.CellArea = static_cast<long double>(t.Lx()) * static_cast<long double>(t.Ly());
    const TCellSize cell = CutFillCellSize(t.Lx(), t.Ly(), columns, rows);
    map.CellWidth = cell.Width;
    map.CellHeight = cell.Height;
    const int width = static_cast<int>(columns) * cell.Width;
    const int height = static_cast<int>(rows) * cell.Height;
    map.Bitmap = QImage(width, height, QImage::Format_Indexed8);
    if (map.Bitmap.isNull())
        throw std::bad_alloc();
    map.Bitmap.setColorTable(CutFillPalette());
    if (progress)
        progress->Start("Gerando o mapa de cortes e aterros");

    const TPlano& p = t.Plans()[0];
    const long double maxCut = p.MaxCut;
    const long double maxFill = p.MaxFill;
    map.MaxCut = maxCut;
    map.MaxFill = maxFill;
    map.RealCoordinates = map.Georeference.has_value();
    map.StakeX.resize(std::size_t(columns));
    for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c)
        map.StakeX[std::size_t(c - a.FirstCol)] = StakeCoordinates(t, c, a.FirstRow).X;
    map.StakeY.resize(std::size_t(rows));
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r)
        map.StakeY[std::size_t(r - a.FirstRow)] = StakeCoordinates(t, a.FirstCol, r).Y;
    map.FirstStake = FirstStakeDesign(t, 0, a);
    // A cut or fill is a 6-byte real: a double holds it exactly.
    map.CutFills.resize(std::size_t(columns) * std::size_t(rows));
    double* kept = map.CutFills.data();
    std::vector<uchar> index(static_cast<std::size_t>(columns));
    const std::size_t cellBytes = std::size_t(cell.Width);
    const std::size_t lineBytes = std::size_t(width);
    const int total = a.LastRow - a.FirstRow;
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            const long double v = t.CutFill(c, r);
            index[std::size_t(c - a.FirstCol)] = CutFillIndex(v, maxCut, maxFill);
            *kept++ = v == TTerreno::NoValue ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(v);
        }
        // The first pixel row of the stakes' cells, one run of bytes for each
        // stretch of equal stakes; the cells' other rows are copies of it.
        const int y = (r - a.FirstRow) * cell.Height;
        uchar* line = map.Bitmap.scanLine(y);
        for (std::size_t k = 0; k < index.size();) {
            std::size_t end = k + 1;
            while (end < index.size() && index[end] == index[k])
                ++end;
            std::memset(line + k * cellBytes, index[k], (end - k) * cellBytes);
            k = end;
        }
        for (int dy = 1; dy < cell.Height; ++dy)
            std::memcpy(map.Bitmap.scanLine(y + dy), line, lineBytes);
        if (progress)
            progress->Set(r - a.FirstRow, total);
    }
    return map;
}

TFramedMap FramedCutFillMap(const TCutFillMap& map, char sep)
{
    if (!map.Georeference || map.Area.IsEmpty())
        return {map.Bitmap, QPoint(0, 0)};
    const TWorldExtent world = WorldExtent(*map.Georeference, map.Area, map.Lx, map.Ly);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    const QFontMetrics fm(font);
    const int h = fm.height();
    const QSize size = map.Bitmap.size();
    // Room for the arrow and the name above, the ticks and their labels
    // below and to the right.
    const int left = 8, top = 44, right = h + 14, bottom = h + 14;
    TFramedMap framed;
    framed.Offset = QPoint(left, top);
    // Wide enough for the system's name beside the arrow over a small map.
    const QString crs = QString::fromStdString(map.CrsName);
    const int arrowRoom = 30;
    const int width = std::max(size.width() + left + right, left + fm.horizontalAdvance(crs) + 8 + arrowRoom);
    framed.Image = QImage(width, size.height() + top + bottom, QImage::Format_RGB32);
    if (framed.Image.isNull())
        throw std::bad_alloc();
    framed.Image.fill(Qt::white);
    QPainter p(&framed.Image);
    p.drawImage(framed.Offset, map.Bitmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    const QRectF frame(left - 0.5, top - 0.5, size.width() + 1, size.height() + 1);
    p.drawRect(frame);
    p.setFont(font);

    // Labels some 90 pixels apart at least.
    const double eastSpan = world.EastEasting - world.WestEasting;
    const double eastStep = TickStep(std::fabs(eastSpan), std::max(2, size.width() / 90));
    for (const double e : TickValues(world.WestEasting, world.EastEasting, eastStep)) {
        const double x = left + (e - world.WestEasting) / eastSpan * size.width();
        p.drawLine(QPointF(x, frame.bottom()), QPointF(x, frame.bottom() + 5));
        const QString text = MapNumber(e, sep);
        p.drawText(QPointF(x - fm.horizontalAdvance(text) / 2.0, frame.bottom() + 6 + fm.ascent()), text);
    }
    const double northSpan = world.BottomNorthing - world.TopNorthing;
    const double northStep = TickStep(std::fabs(northSpan), std::max(2, size.height() / 90));
    for (const double n : TickValues(world.TopNorthing, world.BottomNorthing, northStep)) {
        const double y = top + (n - world.TopNorthing) / northSpan * size.height();
        p.drawLine(QPointF(frame.right(), y), QPointF(frame.right() + 5, y));
        const QString text = MapNumber(n, sep);
        p.save();
        p.translate(frame.right() + 6 + fm.ascent(), y);
        p.rotate(-90);
        p.drawText(QPointF(-fm.horizontalAdvance(text) / 2.0, 0), text);
        p.restore();
    }
    const double length = 26;
    const double cx = std::max(frame.right() - 8, double(width - arrowRoom / 2));
    DrawNorthArrow(p, QPointF(cx, world.NorthUp ? top - 4 - length : top - 4 - length * 0.55), length, world.NorthUp);
    if (!crs.isEmpty())
        p.drawText(QPointF(left, top - 8), crs);
    p.end();
    return framed;
}

}  // namespace nivora
