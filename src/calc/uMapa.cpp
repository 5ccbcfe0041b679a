#include "uMapa.h"

#include "calc/uPerfil.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "contour/CrsCaption.h"
#include "grid/datagrid.h"

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QScrollBar>
#include <QStatusTipEvent>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

void ShowPanel(TForm1* frame, bool visible)
{
    if (frame)
        frame->ShowMapLegend(visible);
}

}  // namespace

TMapView::TMapView(TMapa& window, QWidget* parent) : QAbstractScrollArea(parent), Window(window)
{
    setObjectName("MapView");
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
}

void TMapView::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    p.fillRect(e->rect(), Qt::white);
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    p.drawImage(-scroll, Window.Shown().Image);
    // The line of a profile being drawn.
    Window.Tracer().Paint(p, QPointF(Window.Shown().Offset) - QPointF(scroll));
}

void TMapView::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    Window.FormMouseMove(at.x(), at.y());
    if (Window.DrawingProfile())
        Window.ProfileMove(e->position());
    QAbstractScrollArea::mouseMoveEvent(e);
}

void TMapView::mousePressEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile() && e->button() == Qt::LeftButton)
        Window.ProfilePress(e->position());
    QAbstractScrollArea::mousePressEvent(e);
}

void TMapView::mouseReleaseEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile() && e->button() == Qt::LeftButton)
        Window.ProfileRelease(e->position());
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TMapView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile() && e->button() == Qt::LeftButton) {
        Window.ProfileEnd(e->position());
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(e);
}

void TMapView::keyPressEvent(QKeyEvent* e)
{
    if (Window.DrawingProfile()) {
        if (e->key() == Qt::Key_Escape) {
            Window.CancelProfile();
            return;
        }
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            Window.FinishProfile();
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TMapView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Window.UpdateScrollRanges();
}

TMapa::TMapa(TCutFillMap map, QWidget* parent) : QMdiSubWindow(parent), Map_(std::move(map))
{
    if (Map_.Georeference && Map_.CrsName.empty())
        Map_.CrsName = CrsCaption(Map_.Georeference);
    Shown_ = FramedCutFillMap(Map_, DecimalSeparator());
    setObjectName("Mapa");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Mapa de Cortes e Aterros");
    View_ = new TMapView(*this, this);
    setWidget(View_);
}

TMapa::~TMapa()
{
    // The side panel goes with the last map window.
    TForm1* frame = FrameOf(this);
    if (!frame)
        return;
    const QList<QMdiSubWindow*> windows = frame->ChildWindows();
    if (std::none_of(windows.begin(), windows.end(),
                     [this](QMdiSubWindow* w) { return w != this && qobject_cast<TMapa*>(w); }))
        ShowPanel(frame, false);
}

void TMapa::UpdateScrollRanges()
{
    const QSize page = View_->viewport()->size();
    View_->horizontalScrollBar()->setRange(0, std::max(0, Shown_.Image.width() - page.width()));
    View_->verticalScrollBar()->setRange(0, std::max(0, Shown_.Image.height() - page.height()));
    View_->horizontalScrollBar()->setPageStep(page.width());
    View_->verticalScrollBar()->setPageStep(page.height());
}

void TMapa::FormActivate()
{
    ShowPanel(FrameOf(this), true);
    // The side panel is shared: it takes this map's scale.
    ScaleBar();
}

void TMapa::FormDeactivate() { ShowPanel(FrameOf(this), false); }

void TMapa::ScaleBar()
{
    TForm1* frame = FrameOf(this);
    if (!frame)
        return;
    Scale_ = nivora::ScaleBar(frame->MapLegendHeight(), Map_.MaxFill, Map_.MaxCut);
    frame->PlaceMapLegendZeroLine(Scale_.BevelTop);
}

void TMapa::FormMouseMove(int x, int y)
{
    const auto stake = MouseToStake(x - Shown_.Offset.x(), y - Shown_.Offset.y(), View_->horizontalScrollBar()->value(),
                                    View_->verticalScrollBar()->value(), Map_.CellWidth, Map_.CellHeight, Map_.Area);
    QString hint;
    if (stake) {
        hint = QString::fromStdString(Map_.Readout(stake->Col, stake->Row, DecimalSeparator()));
        ShowBar(stake->Col, stake->Row);
    }
    // The hint's bar makes it a status text without a tool-tip.
    const QString status = hint.startsWith('|') ? hint.mid(1) : hint;
    View_->viewport()->setStatusTip(status);
    QStatusTipEvent tip(status);
    QCoreApplication::sendEvent(View_->viewport(), &tip);
}

void TMapa::ShowBar(std::int32_t col, std::int32_t row)
{
    TForm1* frame = FrameOf(this);
    if (!frame)
        return;
    const TBarShape bar = nivora::ShowBar(Map_.CutFill(col, row), Scale_, frame->MapLegendHeight());
    if (bar.Visible)
        frame->ShowMapLegendBar(QColor(bar.Colour.R, bar.Colour.G, bar.Colour.B), bar.Top, bar.Height);
    else
        frame->HideMapLegendBar();
}

QPointF TMapa::ToMap(QPointF viewPoint) const
{
    return viewPoint - QPointF(Shown_.Offset)
           + QPointF(View_->horizontalScrollBar()->value(), View_->verticalScrollBar()->value());
}

TLinePoint TMapa::MapPointToShown(const QPointF& pixel) const
{
    // Each stake is a block of CellWidth x CellHeight pixels, the stake at
    // its centre.
    const long double col = Map_.Area.FirstCol + static_cast<long double>(pixel.x()) / Map_.CellWidth - 0.5L;
    const long double row = Map_.Area.FirstRow + static_cast<long double>(pixel.y()) / Map_.CellHeight - 0.5L;
    const TDocumentObject* document = ViewedDocument();
    if (!document)
        return {col, row};
    return ShownPosition(document->Terrain(), col, row);
}

void TMapa::StartProfileDrawing()
{
    if (!ViewedDocument()) {
        Messages().Warning(this, "O documento deste mapa foi fechado: não há cotas para o perfil.");
        return;
    }
    Tracer_.Start();
    View_->viewport()->setCursor(Qt::CrossCursor);
    View_->setFocus();
    QStatusTipEvent tip(kTraceHint);
    QCoreApplication::sendEvent(View_->viewport(), &tip);
}

void TMapa::ProfilePress(QPointF viewPoint)
{
    Tracer_.Press(ToMap(viewPoint));
    View_->viewport()->update();
}

void TMapa::ProfileMove(QPointF viewPoint)
{
    Tracer_.Move(ToMap(viewPoint));
    if (!Tracer_.Points().empty())
        View_->viewport()->update();
}

void TMapa::ProfileRelease(QPointF viewPoint)
{
    if (Tracer_.Release(ToMap(viewPoint)))
        FinishProfile();
    else
        View_->viewport()->update();
}

void TMapa::ProfileEnd(QPointF viewPoint)
{
    Tracer_.DoubleClick(ToMap(viewPoint));
    FinishProfile();
}

void TMapa::CancelProfile()
{
    Tracer_.Cancel();
    View_->viewport()->unsetCursor();
    View_->viewport()->update();
    QStatusTipEvent tip{QString()};
    QCoreApplication::sendEvent(View_->viewport(), &tip);
}

void TMapa::FinishProfile()
{
    std::vector<TLinePoint> line;
    for (const QPointF& q : Tracer_.Finish())
        line.push_back(MapPointToShown(q));
    CancelProfile();
    line.erase(std::unique(line.begin(), line.end()), line.end());
    TForm1* frame = FrameOf(this);
    TDocumentObject* document = ViewedDocument();
    if (line.size() < 2 || !frame || !document)
        return;
    // Stations every 20 m and sections as often, 40 m wide.
    OpenProfileWindow(*frame, *document, ProjectName(), line, {20, 20, 40});
}

void TMapa::CopyMap() const { QGuiApplication::clipboard()->setImage(Shown_.Image); }

TMapa* OpenMapWindow(TForm1* frame, TCutFillMap map, TDocumentObject* document)
{
    auto* w = new TMapa(std::move(map));
    w->SetViewedDocument(document);
    const QSize bitmap = w->Shown().Image.size();
    w->resize(324, 260);
    if (frame) {
        frame->AddChild(w);
        // The side panel shows with the map, at its scale.
        ShowPanel(frame, true);
        w->ScaleBar();
    }
    // The client area shrinks to a bitmap smaller than it.
    FitClientToContent(w, w->View_, bitmap, [w] { w->UpdateScrollRanges(); });
    w->show();
    return w;
}

}  // namespace nivora
