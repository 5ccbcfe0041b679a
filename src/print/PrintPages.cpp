#include "PrintPages.h"

#include "calc/ResultTable.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"

#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QLocale>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QString Fixed(long double v, int decimals, char sep) { return Q(FormatFixed(v, decimals, 10, sep)); }

QString General(long double v, char sep) { return Q(FormatGeneral(v, 10, sep)); }

// The printable area of a page in the painter's units (device pixels, the
// origin at the top-left margin) and millimetres in those units.
struct TPage {
    QRectF Rect;
    double PxPerMm = 1;
    double Mm(double v) const { return v * PxPerMm; }
};

TPage PageOf(QPagedPaintDevice& d)
{
    TPage p;
    p.Rect = QRectF(0, 0, d.width(), d.height());
    p.PxPerMm = d.logicalDpiX() / 25.4;
    return p;
}

// The printable area of an A4 sheet in an orientation, millimetres.
QSizeF A4Area(QPageLayout::Orientation o)
{
    const double w = 210 - 2 * kPageMarginMm;
    const double h = 297 - 2 * kPageMarginMm;
    return o == QPageLayout::Portrait ? QSizeF(w, h) : QSizeF(h, w);
}

// "Arial" resolves to a metric-compatible face through fontconfig; the PDF
// writer embeds the subset it uses.
QFont Font(double points, bool bold = false)
{
    QFont f("Arial");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// The title at the top left, the project and the date at the right; the
// height taken.
double PageTitle(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QString& title, const TPrintHeading& h)
{
    const QFont big = Font(15, true);
    const QFont small = Font(9);
    const double height = QFontMetricsF(big, &d).height();
    const QRectF r(pg.Rect.left(), pg.Rect.top(), pg.Rect.width(), height);
    p.setPen(Qt::black);
    p.setFont(big);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(small);
    // A long file name gives way, shortened in its middle, rather than run
    // over the title.
    const QFontMetricsF fm(small, &d);
    const double room =
        r.width() - QFontMetricsF(big, &d).horizontalAdvance(title) - pg.Mm(6) - fm.horizontalAdvance("    " + h.Date);
    p.drawText(r, Qt::AlignRight | Qt::AlignVCenter,
               fm.elidedText(h.Project, Qt::ElideMiddle, std::max(0.0, room)) + "    " + h.Date);
    p.setPen(QPen(Qt::black, pg.Mm(0.4)));
    p.drawLine(QPointF(r.left(), r.bottom() + pg.Mm(1)), QPointF(r.right(), r.bottom() + pg.Mm(1)));
    return height + pg.Mm(4);
}

constexpr double kFooterMm = 7;

void PageFooter(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const TPrintHeading& h, const QString& title,
                int page, int pages)
{
    const QRectF r(pg.Rect.left(), pg.Rect.bottom() - pg.Mm(5), pg.Rect.width(), pg.Mm(5));
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.drawLine(r.topLeft(), r.topRight());
    const QFont font = Font(8);
    p.setFont(font);
    const QString number = QString("Página %1 de %2").arg(page).arg(pages);
    // The file name gives way to the page number, as in the title.
    const QFontMetricsF fm(font, &d);
    const QString before = "Nivora 1.0 - " + title + " - ", after = " - " + h.Date;
    const double room = r.width() - fm.horizontalAdvance(number) - pg.Mm(6) - fm.horizontalAdvance(before + after);
    p.drawText(r, Qt::AlignLeft | Qt::AlignBottom,
               before + fm.elidedText(h.Project, Qt::ElideMiddle, std::max(0.0, room)) + after);
    p.drawText(r, Qt::AlignRight | Qt::AlignBottom, number);
}

// Caption and value pairs as "caption: value" lines wrapped within `width`;
// returns the height used.
double FigureLines(QPainter& p, QPagedPaintDevice& d, const QPointF& at, double width,
                   const std::vector<std::pair<std::string, std::string>>& items, double points)
{
    const QFont regular = Font(points);
    const QFontMetricsF fm(regular, &d);
    double y = at.y();
    for (const auto& [caption, value] : items) {
        const QString text = Q(caption) + ": " + Q(value);
        const QRectF box = fm.boundingRect(QRectF(at.x(), y, width, 1e6), Qt::TextWordWrap, text);
        p.setFont(regular);
        p.drawText(QRectF(at.x(), y, width, box.height()), Qt::TextWordWrap | Qt::AlignLeft, text);
        y += box.height() + fm.height() * 0.15;
    }
    return y - at.y();
}

// ------------------------------------------------------------ field report

class TFieldReportDocument : public TPrintDocument {
public:
    TFieldReportDocument(TFieldReport report, int decimals, TPrintHeading heading)
        : Report(std::move(report)), Decimals(decimals), Heading(std::move(heading))
    {}
    QString Title() const override { return "Relatório de Campo"; }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    // Relative widths of the table's columns.
    static constexpr double kWidths[kReportColumns] = {7, 9, 9, 12, 12, 16, 16, 7, 12};

    double TableHead(QPainter& p, QPagedPaintDevice& d, const TPage& pg, double y, double height) const;
    QRectF Cell(const TPage& pg, int column, double y, double height) const;

    TFieldReport Report;
    int Decimals;
    TPrintHeading Heading;
};

QRectF TFieldReportDocument::Cell(const TPage& pg, int column, double y, double height) const
{
    double x = pg.Rect.left();
    for (int c = 0; c < column; ++c)
        x += pg.Rect.width() * kWidths[c] / 100;
    const double w = pg.Rect.width() * kWidths[column] / 100;
    return QRectF(x + pg.Mm(1), y, w - pg.Mm(2), height);
}

Qt::Alignment ColumnAlignment(int column)
{
    return (column == rcKind ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter;
}

double TFieldReportDocument::TableHead(QPainter& p, QPagedPaintDevice&, const TPage& pg, double y, double height) const
{
    p.setFont(Font(8.5, true));
    p.setPen(Qt::black);
    const auto& heads = ReportHeadings();
    for (int c = 0; c < kReportColumns; ++c)
        p.drawText(Cell(pg, c, y, height),
                   Qt::TextWordWrap | (ColumnAlignment(c) & Qt::AlignHorizontal_Mask) | Qt::AlignBottom,
                   Q(heads[std::size_t(c)]));
    p.setPen(QPen(Qt::black, pg.Mm(0.4)));
    p.drawLine(QPointF(pg.Rect.left(), y + height + pg.Mm(0.8)), QPointF(pg.Rect.right(), y + height + pg.Mm(0.8)));
    return height + pg.Mm(1.6);
}

int TFieldReportDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TPage pg = PageOf(d);
    const QFont body = Font(9);
    const QFontMetricsF fm(body, &d);
    const QFontMetricsF fh(Font(8.5, true), &d);
    const QFontMetricsF ft(Font(15, true), &d);
    const double rowH = fm.height() * 1.3;
    const double headH = fh.height() * 2;
    const double bottom = pg.Rect.bottom() - pg.Mm(kFooterMm);
    const char sep = Heading.DecimalSeparator;

    // The plan's figures in two columns; the georeference, too long for a
    // column, on a line of its own below them.
    std::vector<std::pair<std::string, std::string>> summary, wide;
    for (auto& item : ReportSummary(Report, Decimals, sep))
        (item.first == kGeoreferenceCaption ? wide : summary).push_back(std::move(item));
    const std::size_t half = (summary.size() + 1) / 2;
    const double summaryH = rowH * double(half + wide.size());
    const double legendH = rowH * 2.5;
    const double firstHead = ft.height() + pg.Mm(4) + summaryH + legendH;
    const double nextHead = ft.height() + pg.Mm(4);
    const double tableHeadH = headH + pg.Mm(1.6);
    const std::size_t rowsFirst = std::max<std::size_t>(1, std::size_t((bottom - firstHead - tableHeadH) / rowH));
    const std::size_t rowsNext = std::max<std::size_t>(1, std::size_t((bottom - nextHead - tableHeadH) / rowH));

    // The lines of each page, then whether the totals still fit on the last.
    struct TSlice {
        std::size_t First = 0, Count = 0;
        bool Table = true;
    };
    std::vector<TSlice> slices;
    const std::size_t n = Report.Lines.size();
    std::size_t next = 0;
    do {
        const std::size_t room = slices.empty() ? rowsFirst : rowsNext;
        const std::size_t count = std::min(room, n - next);
        slices.push_back({next, count, true});
        next += count;
    } while (next < n);
    const double totalsH = rowH * 3;
    {
        const std::size_t room = slices.size() == 1 ? rowsFirst : rowsNext;
        if (double(room - slices.back().Count) * rowH < totalsH)
            slices.push_back({n, 0, false});
    }
    const int pages = int(slices.size());
    if (Progress)
        Progress->Start("Preparando o relatório de campo.");

    for (int k = 0; k < pages; ++k) {
        if (k > 0)
            d.newPage();
        const TSlice& s = slices[std::size_t(k)];
        double y = pg.Rect.top();
        if (k == 0) {
            y += PageTitle(p, d, pg, Title(), Heading);
            // The plan's figures in two columns; a caption longer than the
            // column's moves its own value along.
            p.setPen(Qt::black);
            const QFontMetricsF fb(Font(9, true), &d);
            const auto captionW = [&](const std::string& caption) {
                return std::min(std::max(pg.Mm(38), fb.horizontalAdvance(Q(caption)) + pg.Mm(2)),
                                pg.Rect.width() * 0.35);
            };
            for (std::size_t i = 0; i < summary.size(); ++i) {
                const double x = pg.Rect.left() + (i < half ? 0 : pg.Rect.width() / 2);
                const double yy = y + rowH * double(i < half ? i : i - half);
                const double w = captionW(summary[i].first);
                p.setFont(Font(9, true));
                p.drawText(QRectF(x, yy, w, rowH), Qt::AlignLeft | Qt::AlignVCenter, Q(summary[i].first));
                p.setFont(body);
                p.drawText(QRectF(x + w, yy, pg.Rect.width() / 2 - w, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                           Q(summary[i].second));
            }
            for (std::size_t i = 0; i < wide.size(); ++i) {
                const double yy = y + rowH * double(half + i);
                p.setFont(Font(9, true));
                const double w = captionW(wide[i].first);
                p.drawText(QRectF(pg.Rect.left(), yy, w, rowH), Qt::AlignLeft | Qt::AlignVCenter, Q(wide[i].first));
                p.setFont(body);
                p.drawText(QRectF(pg.Rect.left() + w, yy, pg.Rect.width() - w, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                           Q(wide[i].second));
            }
            y += summaryH + rowH * 0.5;
            p.setFont(Font(8.5));
            p.drawText(QRectF(pg.Rect.left(), y, pg.Rect.width(), rowH * 2), Qt::TextWordWrap | Qt::AlignLeft,
                       "C = corte (rebaixar o terreno), A = aterro (elevar o terreno); profundidades em metros. "
                       "Piquetes na ordem de caminhamento: linha a linha, alternando o sentido a cada linha.");
            y += legendH - rowH * 0.5;
        } else {
            y += PageTitle(p, d, pg, Title(), Heading);
        }
        if (s.Table) {
            y += TableHead(p, d, pg, y, headH);
            for (std::size_t i = 0; i < s.Count; ++i) {
                const TReportLine& line = Report.Lines[s.First + i];
                if (i % 2 == 1)
                    p.fillRect(QRectF(pg.Rect.left(), y, pg.Rect.width(), rowH), QColor(235, 235, 235));
                // The walk turns into a new row of stakes here.
                if (i > 0 && line.Row != Report.Lines[s.First + i - 1].Row) {
                    p.setPen(QPen(Qt::black, pg.Mm(0.25)));
                    p.drawLine(QPointF(pg.Rect.left(), y), QPointF(pg.Rect.right(), y));
                }
                const std::vector<std::string> texts = ReportLineTexts(line, Decimals, sep);
                p.setPen(Qt::black);
                for (int c = 0; c < kReportColumns; ++c) {
                    p.setFont(c == rcKind ? Font(9, true) : body);
                    p.drawText(Cell(pg, c, y, rowH), ColumnAlignment(c), Q(texts[std::size_t(c)]));
                }
                y += rowH;
            }
        }
        if (k == pages - 1) {
            y += rowH * 0.5;
            p.setPen(QPen(Qt::black, pg.Mm(0.4)));
            p.drawLine(QPointF(pg.Rect.left(), y), QPointF(pg.Rect.right(), y));
            p.setFont(Font(9, true));
            for (const std::string& t : ReportTotals(Report, sep)) {
                p.drawText(QRectF(pg.Rect.left(), y, pg.Rect.width(), rowH), Qt::AlignLeft | Qt::AlignVCenter, Q(t));
                y += rowH;
            }
        }
        PageFooter(p, d, pg, Heading, Title(), k + 1, pages);
        if (Progress)
            Progress->Set(k + 1, pages);
    }
    return pages;
}

// ----------------------------------------------------------------- results

class TResultsDocument : public TPrintDocument {
public:
    TResultsDocument(const TTerreno& t, TPrintHeading heading) : Heading(std::move(heading))
    {
        const char sep = Heading.DecimalSeparator;
        for (int row = 0; row < kResultRows; ++row)
            RowSources.push_back(row);
        // Below "Cota da Origem", each plan's design elevation at the first
        // stake of the area its results cover.
        const TUsedRect area = t.LastArea().IsEmpty() ? t.GetSelection() : t.LastArea();
        const auto first = FirstStakeDesign(t, t.Plans()[1], area);
        if (first)
            RowSources.insert(RowSources.begin() + rrOrigin + 1, rrOrigin);
        const auto cellText = [&](int column, std::size_t k) {
            const bool stakeRow = first && k == std::size_t(rrOrigin) + 1;
            if (!stakeRow)
                return Q(ResultCellText(&t, column, RowSources[k], sep));
            if (column == 0)
                return Q(FirstStakeCaption(*first) + " (m)");
            const TPlano& plan = t.Plans()[std::size_t(column)];
            return Q(FormatFixed(FirstStakeDesign(t, plan, area)->Design, 3, 10, sep));
        };
        QStringList captions;
        for (std::size_t k = 0; k < RowSources.size(); ++k)
            captions << cellText(0, k);
        Columns.push_back(captions);
        for (int column = 1; column < kResultColumns; ++column) {
            const TPlano& plan = t.Plans()[std::size_t(column)];
            if (!plan.Valid && !HasUndefinedRatio(plan))
                continue;
            QStringList texts;
            for (std::size_t k = 0; k < RowSources.size(); ++k)
                texts << cellText(column, k);
            Columns.push_back(texts);
        }
    }
    QString Title() const override { return "Resultados da Sistematização"; }
    QPageLayout::Orientation Orientation() const override
    {
        return Columns.size() > 6 ? QPageLayout::Landscape : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override
    {
        const TPage pg = PageOf(d);
        double y = pg.Rect.top() + PageTitle(p, d, pg, Title(), Heading);
        const QFontMetricsF fm(Font(9), &d);
        const double rowH = fm.height() * 1.8;
        const QFontMetricsF fc(Font(9), &d);
        double captionW = pg.Mm(50);
        for (const QString& caption : Columns[0])
            captionW = std::max(captionW, fc.horizontalAdvance(caption) + pg.Mm(5));
        const int plans = int(Columns.size()) - 1;
        const double planW = plans > 0 ? std::min(pg.Mm(32), (pg.Rect.width() - captionW) / plans) : 0;
        for (int row = 0; row < int(RowSources.size()); ++row) {
            double x = pg.Rect.left();
            for (int c = 0; c <= plans; ++c) {
                const double w = c == 0 ? captionW : planW;
                const QRectF cell(x, y, w, rowH);
                if (row == 0 || c == 0)
                    p.fillRect(cell, QColor(230, 230, 230));
                p.setPen(QPen(Qt::black, pg.Mm(0.2)));
                p.drawRect(cell);
                const unsigned colour = c == 0 ? 0 : ResultCellColour(1, RowSources[std::size_t(row)]);
                p.setPen(QColor::fromRgb(colour));
                p.setFont(Font(9, row == 0));
                const Qt::Alignment align = row == 0 ? Qt::AlignCenter
                                            : c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                     : Qt::AlignRight | Qt::AlignVCenter;
                p.drawText(cell.adjusted(pg.Mm(2), 0, -pg.Mm(2), 0), align, Columns[std::size_t(c)][row]);
                x += w;
            }
            y += rowH;
        }
        p.setPen(Qt::black);
        p.setFont(Font(8.5));
        p.drawText(QRectF(pg.Rect.left(), y + rowH * 0.5, pg.Rect.width(), rowH * 2), Qt::TextWordWrap | Qt::AlignLeft,
                   "Volumes por hectare da área de cada plano. Somente os planos calculados são listados.");
        PageFooter(p, d, pg, Heading, Title(), 1, 1);
        return 1;
    }

private:
    TPrintHeading Heading;
    std::vector<QStringList> Columns;  // the captions, then one column a plan
    // The results table's row each printed row comes from; the first stake's
    // elevation repeats the origin's.
    std::vector<int> RowSources;
};

// --------------------------------------------------------- cut-and-fill map

constexpr double kLegendMm = 62;  // the side panel of the legend and figures

class TCutFillDocument : public TPrintDocument {
public:
    TCutFillDocument(const TCutFillMap& map, int decimals, TPrintHeading heading)
        : Map(map), Decimals(decimals), Heading(std::move(heading))
    {}
    QString Title() const override { return "Mapa de Cortes e Aterros"; }
    QPageLayout::Orientation Orientation() const override
    {
        // The sheet on which the map comes out larger.
        const auto fit = [&](QPageLayout::Orientation o) {
            const QSizeF a = A4Area(o);
            const QSizeF room(a.width() - kLegendMm - 10, a.height() - 30);
            return std::min(room.width() / std::max(1, Map.Bitmap.width()),
                            room.height() / std::max(1, Map.Bitmap.height()));
        };
        return fit(QPageLayout::Landscape) > fit(QPageLayout::Portrait) ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    void Legend(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QRectF& panel) const;
    // A georeferenced map's eastings, northings, north arrow and system.
    void WorldTicks(QPainter& p, const TPage& pg, const QRectF& target) const;

    const TCutFillMap& Map;
    int Decimals;
    TPrintHeading Heading;
};

// A label step of 1, 2, 5, 10, 20, 50... stakes that keeps labels `minimum`
// apart when a stake takes `size`.
int LabelStep(double size, double minimum)
{
    for (int base = 1;; base *= 10)
        for (int m : {1, 2, 5})
            if (size * base * m >= minimum || base * m >= 100000)
                return base * m;
}

int TCutFillDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TPage pg = PageOf(d);
    const double top = pg.Rect.top() + PageTitle(p, d, pg, Title(), Heading);
    const double bottom = pg.Rect.bottom() - pg.Mm(kFooterMm);
    const QRectF panel(pg.Rect.right() - pg.Mm(kLegendMm), top, pg.Mm(kLegendMm), bottom - top);
    // Room for the column numbers above the map and the row numbers left of
    // it; on a georeferenced map, for the eastings below it, the northings
    // right of it and the north arrow and the coordinate system above.
    const bool world = Map.Georeference && !Map.Area.IsEmpty();
    const double above = world ? pg.Mm(14) : pg.Mm(5);
    const double below = world ? pg.Mm(6) : 0;
    const double beside = world ? pg.Mm(5) : 0;
    const QRectF room(pg.Rect.left() + pg.Mm(9), top + above,
                      panel.left() - pg.Mm(6) - pg.Rect.left() - pg.Mm(9) - beside, bottom - top - above - below);
    const QImage& bitmap = Map.Bitmap;
    const double scale =
        std::min(room.width() / std::max(1, bitmap.width()), room.height() / std::max(1, bitmap.height()));
    const QRectF target(room.left(), room.top(), bitmap.width() * scale, bitmap.height() * scale);
    // Cells stay sharp: a reader of the PDF smooths an image it enlarges, so
    // the bitmap goes in already enlarged, stake by stake, to about 150 dots
    // an inch on the paper (a small map would otherwise blur into one wash).
    const double wanted = target.width() / pg.PxPerMm / 25.4 * 150;
    int factor = std::max(1, int(std::ceil(wanted / std::max(1, bitmap.width()))));
    while (factor > 1 && std::int64_t(bitmap.width()) * factor * bitmap.height() * factor > 16'000'000)
        --factor;
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (factor > 1)
        p.drawImage(target, bitmap.scaled(bitmap.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    else
        p.drawImage(target, bitmap);
    p.setPen(QPen(Qt::black, pg.Mm(0.25)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(target);

    // Stake numbers along the top and left edges.
    const TUsedRect& a = Map.Area;
    if (!a.IsEmpty()) {
        p.setFont(Font(7));
        const double cw = Map.CellWidth * scale;
        const double ch = Map.CellHeight * scale;
        const int colStep = LabelStep(cw, pg.Mm(7));
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            if (c != a.FirstCol && (c % colStep != 0 || c - a.FirstCol < colStep / 2.0))
                continue;
            const double x = target.left() + (c - a.FirstCol + 0.5) * cw;
            p.drawText(QRectF(x - pg.Mm(6), target.top() - pg.Mm(4.5), pg.Mm(12), pg.Mm(4)),
                       Qt::AlignHCenter | Qt::AlignBottom, QString::number(c));
        }
        const int rowStep = LabelStep(ch, pg.Mm(4));
        for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
            if (r != a.FirstRow && (r % rowStep != 0 || r - a.FirstRow < rowStep / 2.0))
                continue;
            const double y = target.top() + (r - a.FirstRow + 0.5) * ch;
            p.drawText(QRectF(target.left() - pg.Mm(9), y - pg.Mm(2), pg.Mm(8), pg.Mm(4)),
                       Qt::AlignRight | Qt::AlignVCenter, QString::number(r));
        }
    }
    if (world)
        WorldTicks(p, pg, target);
    Legend(p, d, pg, panel);
    PageFooter(p, d, pg, Heading, Title(), 1, 1);
    return 1;
}

void TCutFillDocument::WorldTicks(QPainter& p, const TPage& pg, const QRectF& target) const
{
    const char sep = Heading.DecimalSeparator;
    const TWorldExtent world = WorldExtent(*Map.Georeference, Map.Area, Map.Lx, Map.Ly);
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.setFont(Font(7));
    // Labels some 25 mm apart at least.
    const double eastSpan = world.EastEasting - world.WestEasting;
    const double eastStep = TickStep(std::fabs(eastSpan), std::max(1, int(target.width() / pg.Mm(25))));
    for (const double e : TickValues(world.WestEasting, world.EastEasting, eastStep)) {
        const double x = target.left() + (e - world.WestEasting) / eastSpan * target.width();
        p.drawLine(QPointF(x, target.bottom()), QPointF(x, target.bottom() + pg.Mm(1.5)));
        p.drawText(QRectF(x - pg.Mm(15), target.bottom() + pg.Mm(1.7), pg.Mm(30), pg.Mm(4)),
                   Qt::AlignHCenter | Qt::AlignTop, General(e, sep));
    }
    const double northSpan = world.BottomNorthing - world.TopNorthing;
    const double northStep = TickStep(std::fabs(northSpan), std::max(1, int(target.height() / pg.Mm(25))));
    for (const double n : TickValues(world.TopNorthing, world.BottomNorthing, northStep)) {
        const double y = target.top() + (n - world.TopNorthing) / northSpan * target.height();
        p.drawLine(QPointF(target.right(), y), QPointF(target.right() + pg.Mm(1.5), y));
        p.save();
        p.translate(target.right() + pg.Mm(1.7), y);
        p.rotate(-90);
        p.drawText(QRectF(-pg.Mm(15), 0, pg.Mm(30), pg.Mm(4)), Qt::AlignHCenter | Qt::AlignTop, General(n, sep));
        p.restore();
    }
    // The arrow above the map's right corner, the system's name beside it.
    const double length = pg.Mm(6);
    const double tipY = world.NorthUp ? target.top() - pg.Mm(5.5) - length : target.top() - pg.Mm(5.5) - length * 0.55;
    DrawNorthArrow(p, QPointF(target.right() - pg.Mm(3), tipY), length, world.NorthUp);
    if (!Map.CrsName.empty()) {
        p.setPen(Qt::black);
        p.setFont(Font(8));
        p.drawText(QRectF(target.left(), target.top() - pg.Mm(12.5), target.width() - pg.Mm(8), pg.Mm(4)),
                   Qt::AlignLeft | Qt::AlignVCenter, "Sistema de coordenadas: " + Q(Map.CrsName));
    }
}

void TCutFillDocument::Legend(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QRectF& panel) const
{
    const char sep = Heading.DecimalSeparator;
    const TPlano& plan = Map.Plan;
    double y = panel.top();
    p.setPen(Qt::black);
    p.setFont(Font(10, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(6)), Qt::AlignLeft | Qt::AlignVCenter, "Legenda");
    y += pg.Mm(7);
    p.setFont(Font(8, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(4)), Qt::AlignLeft | Qt::AlignVCenter, "Aterro (m)");
    y += pg.Mm(5);

    // Fills rise above the zero line and cuts hang below it, as on the side
    // bar of the map window: the deepest fill (pure blue) on top, the deepest
    // cut (pure red) at the bottom.
    const QRectF bar(panel.left(), y, pg.Mm(9), pg.Mm(64));
    const auto& palette = CutFillPalette();
    const double halfH = bar.height() / 2;
    for (int i = 0; i < 128; ++i) {
        const double h = halfH / 128;
        p.fillRect(QRectF(bar.left(), bar.top() + i * h, bar.width(), h + 0.5), QColor::fromRgb(palette[255 - i]));
        p.fillRect(QRectF(bar.left(), bar.top() + halfH + i * h, bar.width(), h + 0.5),
                   QColor::fromRgb(palette[std::max(1, 127 - i)]));
    }
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.drawRect(bar);
    p.drawLine(QPointF(bar.left(), bar.top() + halfH), QPointF(bar.right() + pg.Mm(1.5), bar.top() + halfH));
    p.setFont(Font(8));
    const long double maxFill = plan.MaxFill, maxCut = plan.MaxCut;
    const struct {
        double Y;
        long double Depth;
    } ticks[] = {{0, maxFill}, {0.25, maxFill / 2}, {0.5, 0}, {0.75, maxCut / 2}, {1, maxCut}};
    for (const auto& t : ticks) {
        const double ty = bar.top() + bar.height() * t.Y;
        p.drawLine(QPointF(bar.right(), ty), QPointF(bar.right() + pg.Mm(1.5), ty));
        p.drawText(QRectF(bar.right() + pg.Mm(2.5), ty - pg.Mm(2), panel.width() - bar.width() - pg.Mm(3), pg.Mm(4)),
                   Qt::AlignLeft | Qt::AlignVCenter, Fixed(t.Depth, Decimals, sep));
    }
    y = bar.bottom() + pg.Mm(2.5);
    p.setFont(Font(8, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(4)), Qt::AlignLeft | Qt::AlignVCenter, "Corte (m)");
    y += pg.Mm(6);
    const QRectF white(panel.left(), y, pg.Mm(9), pg.Mm(4));
    p.fillRect(white, Qt::white);
    p.drawRect(white);
    p.setFont(Font(8));
    p.drawText(QRectF(white.right() + pg.Mm(2.5), y, panel.width(), pg.Mm(4)), Qt::AlignLeft | Qt::AlignVCenter,
               "Piquete sem cota");
    y += pg.Mm(8);

    // The plan's figures, as the field report gives them.
    TFieldReport figures;
    figures.Area = Map.Area;
    figures.Plan = plan;
    figures.CellArea = Map.CellArea;
    figures.FirstStake = Map.FirstStake;
    std::vector<std::pair<std::string, std::string>> items;
    for (auto& item : ReportSummary(figures, Decimals, sep))
        if (item.first != "Espaçamento" && item.first != "Origem")
            items.push_back(item);
    p.setFont(Font(9, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(5)), Qt::AlignLeft | Qt::AlignVCenter, "Plano");
    y += pg.Mm(6);
    FigureLines(p, d, QPointF(panel.left(), y), panel.width(), items, 7.5);
}

// ---------------------------------------------------------- altimetric map

constexpr double kTitleBlockMm = 30;

class TAltimetricDocument : public TPrintDocument {
public:
    TAltimetricDocument(const TAltimetricMap& map, TPrintHeading heading) : Map(map), Heading(std::move(heading)) {}
    QString Title() const override { return "Mapa Altimétrico"; }
    QPageLayout::Orientation Orientation() const override
    {
        const auto fit = [&](QPageLayout::Orientation o) {
            const QSizeF a = A4Area(o);
            return std::min(a.width() / std::max(1, Map.Geometry.W),
                            (a.height() - kTitleBlockMm - kFooterMm - 4) / std::max(1, Map.Geometry.H));
        };
        return fit(QPageLayout::Landscape) > fit(QPageLayout::Portrait) ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    const TAltimetricMap& Map;
    TPrintHeading Heading;
};

int TAltimetricDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TPage pg = PageOf(d);
    const char sep = Heading.DecimalSeparator;
    const TMapGeometry& g = Map.Geometry;
    const double blockTop = pg.Rect.bottom() - pg.Mm(kFooterMm) - pg.Mm(kTitleBlockMm);
    const QRectF room(pg.Rect.left(), pg.Rect.top(), pg.Rect.width(), blockTop - pg.Mm(3) - pg.Rect.top());

    // The largest size that fits, then down to a round scale along X.
    const double fitMmPerUnit =
        std::min(room.width() / std::max(1, g.W), room.height() / std::max(1, g.H)) / pg.PxPerMm;
    long double scaleN = 0, scaleNy = 0;
    double mmPerUnit = fitMmPerUnit;
    if (g.ScaleX > 0 && g.ScaleY > 0) {
        scaleN = RoundScale(1000.0L / (g.ScaleX * fitMmPerUnit));
        mmPerUnit = double(1000.0L / (g.ScaleX * scaleN));
        scaleNy = std::nearbyint(1000.0L / (g.ScaleY * mmPerUnit));
    }
    const QSizeF size(g.W * mmPerUnit * pg.PxPerMm, g.H * mmPerUnit * pg.PxPerMm);
    const QRectF target(room.left() + (room.width() - size.width()) / 2, room.top(), size.width(), size.height());
    DrawMapPicture(p, Map, target);

    // The title block: project and date; spacing and levels; the scale.
    const QRectF block(pg.Rect.left(), blockTop, pg.Rect.width(), pg.Mm(kTitleBlockMm));
    const double c1 = block.width() * 0.30, c2 = block.width() * 0.42;
    p.setPen(QPen(Qt::black, pg.Mm(0.35)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(block);
    p.drawLine(QPointF(block.left() + c1, block.top()), QPointF(block.left() + c1, block.bottom()));
    p.drawLine(QPointF(block.left() + c1 + c2, block.top()), QPointF(block.left() + c1 + c2, block.bottom()));
    const double pad = pg.Mm(2);
    p.setFont(Font(12, true));
    p.drawText(QRectF(block.left() + pad, block.top() + pad, c1 - 2 * pad, pg.Mm(7)), Qt::AlignLeft | Qt::AlignVCenter,
               "MAPA ALTIMÉTRICO");
    FigureLines(p, d, QPointF(block.left() + pad, block.top() + pg.Mm(11)), c1 - 2 * pad,
                {{"Projeto", Heading.Project.toStdString()}, {"Data", Heading.Date.toStdString()}}, 8.5);

    std::string levels;
    for (long double v : Map.Levels)
        levels += (levels.empty() ? "" : (sep == ',' ? "; " : ", ")) + FormatGeneral(v, 10, sep);
    std::vector<std::pair<std::string, std::string>> figures = {{"Espaçamento",
                                                                 "Lx = " + FormatGeneral(Map.Lx, 10, sep) + " m, Ly = "
                                                                     + FormatGeneral(Map.Ly, 10, sep) + " m"},
                                                                {"Curvas de nível (m)",
                                                                 levels.empty() ? std::string("nenhuma") : levels}};
    if (Map.Georeference && !Map.CrsName.empty())
        figures.emplace_back("Sistema de coordenadas", Map.CrsName);
    FigureLines(p, d, QPointF(block.left() + c1 + pad, block.top() + pad), c2 - 2 * pad, figures, 8.5);

    const double x3 = block.left() + c1 + c2 + pad;
    const double w3 = block.width() - c1 - c2 - 2 * pad;
    if (scaleN > 0) {
        QString text = "Escala 1:" + QString::number(double(scaleN), 'f', 0);
        // The margins of the map differ across and down, so the two scales
        // may differ a little: then both are given.
        if (std::fabs(double(scaleNy - scaleN)) > 0.005 * double(scaleN))
            text = "Escala 1:" + QString::number(double(scaleN), 'f', 0)
                   + " (X); 1:" + QString::number(double(scaleNy), 'f', 0) + " (Y)";
        p.setFont(Font(11, true));
        p.drawText(QRectF(x3, block.top() + pad, w3, pg.Mm(7)), Qt::AlignLeft | Qt::AlignVCenter, text);
        // A bar scale along X, about 40 mm long, in round metres.
        const long double wanted = 40.0L * scaleN / 1000.0L;
        long double metres = std::pow(10.0L, std::floor(std::log10(wanted)));
        for (long double m : {5.0L, 2.0L})
            if (metres * m <= wanted) {
                metres *= m;
                break;
            }
        const double lengthMm = double(metres * 1000.0L / scaleN);
        const QRectF bar(x3, block.top() + pg.Mm(13), pg.Mm(lengthMm), pg.Mm(2.5));
        for (int i = 0; i < 4; ++i) {
            const QRectF part(bar.left() + bar.width() * i / 4, bar.top(), bar.width() / 4, bar.height());
            p.fillRect(part, i % 2 ? Qt::white : Qt::black);
        }
        p.setPen(QPen(Qt::black, pg.Mm(0.2)));
        p.drawRect(bar);
        p.setFont(Font(8));
        const QString ends[] = {"0", General(metres / 2, sep), General(metres, sep) + " m"};
        for (int i = 0; i < 3; ++i) {
            const double x = bar.left() + bar.width() * i / 2;
            p.drawText(QRectF(x - pg.Mm(10), bar.bottom() + pg.Mm(0.5), pg.Mm(20), pg.Mm(4)),
                       Qt::AlignHCenter | Qt::AlignTop, ends[i]);
        }
    }
    PageFooter(p, d, pg, Heading, Title(), 1, 1);
    return 1;
}

}  // namespace

QString PrintDate() { return QDate::currentDate().toString("dd/MM/yyyy"); }

long double RoundScale(long double exact)
{
    if (!(exact > 1))
        return 1;
    long double base = std::pow(10.0L, std::floor(std::log10(exact)));
    for (;;) {
        for (long double m : {1.0L, 1.25L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 7.5L})
            if (m * base >= exact * (1 - 1e-9L))
                return m * base;
        base *= 10;
    }
}

std::unique_ptr<TPrintDocument> FieldReportDocument(TFieldReport report, int decimals, const TPrintHeading& heading)
{
    return std::make_unique<TFieldReportDocument>(std::move(report), decimals, heading);
}

std::unique_ptr<TPrintDocument> ResultsDocument(const TTerreno& terrain, const TPrintHeading& heading)
{
    return std::make_unique<TResultsDocument>(terrain, heading);
}

std::unique_ptr<TPrintDocument> CutFillDocument(const TCutFillMap& map, int decimals, const TPrintHeading& heading)
{
    return std::make_unique<TCutFillDocument>(map, decimals, heading);
}

std::unique_ptr<TPrintDocument> AltimetricDocument(const TAltimetricMap& map, const TPrintHeading& heading)
{
    return std::make_unique<TAltimetricDocument>(map, heading);
}

int WritePdf(TPrintDocument& document, QIODevice& out, QString* error)
{
    QPdfWriter writer(&out);
    writer.setCreator("Nivora 1.0");
    writer.setTitle(document.Title());
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), document.Orientation(),
                                     QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = out.errorString();
        return 0;
    }
    const int pages = document.Paint(painter, writer);
    if (!painter.end()) {
        if (error)
            *error = out.errorString();
        return 0;
    }
    return pages;
}

}  // namespace nivora
