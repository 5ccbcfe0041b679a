#include "uShowCurvas.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/DesignTerrain.h"
#include "contour/CrsCaption.h"
#include "contour/uDefMapa.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QPointer>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace nivora {

namespace {

constexpr int kMinZoom = 25;
constexpr int kMaxZoom = 400;

int ScrollTarget(const QScrollBar& bar, TScrollStep step, int client, int range)
{
    switch (step.Kind) {
    case TScrollStep::PageBack: return bar.value() - (client - 16);
    case TScrollStep::PageForward: return bar.value() + (client - 16);
    case TScrollStep::ToStart: return 0;
    case TScrollStep::ToEnd: return range;
    case TScrollStep::Pixels: break;
    }
    return bar.value() + step.Amount;
}

int ScreenPpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1, int(std::lround(screen->logicalDotsPerInch()))) : 96;
}

}  // namespace

TCurvasView::TCurvasView(TShowCurvas& window, QWidget* parent) : QAbstractScrollArea(parent), Window(window)
{
    setObjectName("CurvasView");
    setFocusPolicy(Qt::StrongFocus);
    // The map follows the thumb while it is dragged.
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setSingleStep(8);
    verticalScrollBar()->setSingleStep(8);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
}

void TCurvasView::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    Window.FormPaint(p, e->rect());
    Window.Tracer().Paint(p, -QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void TCurvasView::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
    // A line being drawn moves with the map, whole.
    if (Window.DrawingProfile())
        viewport()->update();
}

void TCurvasView::keyPressEvent(QKeyEvent* e)
{
    if (Window.DrawingProfile() && e->key() == Qt::Key_Escape) {
        Window.CancelProfile();
        return;
    }
    if (Window.DrawingProfile() && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        Window.FinishProfile();
        return;
    }
    if (!Window.FormKeyDown(e->key(), e->modifiers()))
        e->ignore();
}

void TCurvasView::mouseMoveEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile())
        Window.ProfileMove(e->position());
    QAbstractScrollArea::mouseMoveEvent(e);
}

void TCurvasView::mousePressEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile() && e->button() == Qt::LeftButton)
        Window.ProfilePress(e->position());
    QAbstractScrollArea::mousePressEvent(e);
}

void TCurvasView::mouseReleaseEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile() && e->button() == Qt::LeftButton)
        Window.ProfileRelease(e->position());
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TCurvasView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (Window.DrawingProfile() && e->button() == Qt::LeftButton) {
        Window.ProfileEnd(e->position());
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(e);
}

void TCurvasView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Window.UpdateScrollRanges();
}

TShowCurvas::TShowCurvas(TAltimetricMap picture, int zoom, QWidget* parent)
    : QMdiSubWindow(parent), Zoom_(zoom), Picture_(std::move(picture))
{
    setObjectName("ShowCurvas");
    setAttribute(Qt::WA_DeleteOnClose);  // closing frees the window and its picture
    setWindowTitle(Picture_.Design ? "Mapa Altimétrico do Projeto" : "Mapa Altimétrico");
    Latest_ = std::make_shared<std::atomic<int>>(0);
    Renderer_.setMaxThreadCount(1);
    View_ = new TCurvasView(*this, this);
    setWidget(View_);
    SetScaledSize();
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
            FormActivate();
    });
}

TShowCurvas::~TShowCurvas()
{
    // A drawing under way is left to end, unused.
    ++*Latest_;
    Renderer_.waitForDone();
}

void TShowCurvas::SetScaledSize()
{
    const QSize scaled = nivora::ScaledSize(Picture_.DisplaySize(), Zoom_);
    ScaledWidth_ = scaled.width();
    ScaledHeight_ = scaled.height();
}

void TShowCurvas::UpdateScrollRanges()
{
    // The bars' ranges are the scaled map; a position runs from 0 to the
    // range less the client area.
    const QSize client = View_->viewport()->size();
    View_->horizontalScrollBar()->setRange(0, std::max(0, ScaledWidth_ - client.width()));
    View_->verticalScrollBar()->setRange(0, std::max(0, ScaledHeight_ - client.height()));
    View_->horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    View_->verticalScrollBar()->setPageStep(std::max(1, client.height()));
}

void TShowCurvas::ShowZoom(int zoom)
{
    Zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    SetScaledSize();
    Rendered_ = QImage();
    ++*Latest_;
    Pending_ = 0;
    UpdateScrollRanges();
    View_->viewport()->update();
}

void TShowCurvas::ScrollBy(TScrollStep horizontal, TScrollStep vertical)
{
    const QSize client = View_->viewport()->size();
    QScrollBar* h = View_->horizontalScrollBar();
    QScrollBar* v = View_->verticalScrollBar();
    h->setValue(ScrollTarget(*h, horizontal, client.width(), ScaledWidth_));
    v->setValue(ScrollTarget(*v, vertical, client.height(), ScaledHeight_));
}

bool TShowCurvas::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    if (modifiers != Qt::NoModifier && !ctrl)
        return false;
    const int pixels = ctrl ? 32 : 8;
    const TScrollStep none = TScrollStep::None();
    switch (key) {
    case Qt::Key_Left: ScrollBy(TScrollStep::By(-pixels), none); break;
    case Qt::Key_Right: ScrollBy(TScrollStep::By(pixels), none); break;
    case Qt::Key_Up: ScrollBy(none, TScrollStep::By(-pixels)); break;
    case Qt::Key_Down: ScrollBy(none, TScrollStep::By(pixels)); break;
    case Qt::Key_Home: ScrollBy({ctrl ? TScrollStep::ToStart : TScrollStep::PageBack}, none); break;
    case Qt::Key_End: ScrollBy({ctrl ? TScrollStep::ToEnd : TScrollStep::PageForward}, none); break;
    case Qt::Key_PageUp: ScrollBy(none, {ctrl ? TScrollStep::ToStart : TScrollStep::PageBack}); break;
    case Qt::Key_PageDown: ScrollBy(none, {ctrl ? TScrollStep::ToEnd : TScrollStep::PageForward}); break;
    default: return false;
    }
    return true;
}

QSize TShowCurvas::RenderSize() const
{
    return (QSizeF(ScaledWidth_, ScaledHeight_) * View_->viewport()->devicePixelRatioF()).toSize();
}

bool TShowCurvas::MapRendered() const
{
    return !Rendered_.isNull() && Rendered_.size() == RenderSize()
           && Rendered_.devicePixelRatio() == View_->viewport()->devicePixelRatioF();
}

bool TShowCurvas::StartRendering()
{
    const qreal ratio = View_->viewport()->devicePixelRatioF();
    const QSize size = RenderSize();
    if (MapRendered())
        return false;
    if (Pending_ == Zoom_ && PendingRatio_ == ratio)
        return true;
    // The map is black on white: one byte a pixel. A map at 400 % on a
    // screen of ratio 1 takes at most 25 MB; beyond 128 MB the window keeps
    // replaying the picture.
    if (size.isEmpty() || qint64(size.width()) * size.height() > (qint64(128) << 20))
        return false;
    Pending_ = Zoom_;
    PendingRatio_ = ratio;
    const int job = ++*Latest_;
    // The thread replays a picture of its own: a picture keeps its read
    // position in the data it shares with its copies.
    TAltimetricMap map = Picture_;
    map.Picture = QPicture();
    map.Picture.setData(Picture_.Picture.data(), Picture_.Picture.size());
    map.Picture.setBoundingRect(Picture_.Picture.boundingRect());
    const QSizeF scaled(ScaledWidth_, ScaledHeight_);
    const QPointer<TShowCurvas> self(this);
    Renderer_.start([map = std::move(map), size, ratio, scaled, job, latest = Latest_, self]() mutable {
        if (latest->load() != job)
            return;  // the zoom has changed since
        QImage image(size, QImage::Format_Grayscale8);
        if (!image.isNull()) {
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            DrawMapPicture(p, map, QRectF(QPointF(0, 0), scaled));
        }
        QMetaObject::invokeMethod(
            qApp,
            [self, job, latest, image = std::move(image)]() mutable {
                if (!self || latest->load() != job)
                    return;
                self->Pending_ = 0;
                self->Rendered_ = std::move(image);
                if (std::exchange(self->LeftBlank_, false))
                    self->View_->viewport()->update();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void TShowCurvas::FormPaint(QPainter& painter, const QRect& exposed)
{
    const int h = View_->horizontalScrollBar()->value();
    const int v = View_->verticalScrollBar()->value();
    const QRect client = exposed.isNull() ? View_->viewport()->rect() : exposed;
    if (!MapRendered()) {
        // Until the map at this zoom is drawn, the picture is replayed when
        // the whole client area is to be painted. Replaying costs as much for
        // a strip as for the whole map, so a strip a scroll uncovers while
        // the drawing is under way stays white until the drawing arrives.
        if (StartRendering() && !client.contains(View_->viewport()->rect())) {
            LeftBlank_ = true;
            return;
        }
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(client);
        DrawMapPicture(painter, Picture_, QRectF(-h, -v, ScaledWidth_, ScaledHeight_));
        painter.restore();
        ++Replays_;
        return;
    }
    // The part of the map under the exposed rectangle; the white background
    // shows beyond the map's edges.
    const QRect part = client.intersected(QRect(-h, -v, ScaledWidth_, ScaledHeight_));
    if (part.isEmpty())
        return;
    const qreal ratio = Rendered_.devicePixelRatio();
    const QRectF source(QPointF(part.x() + h, part.y() + v) * ratio, QSizeF(part.size()) * ratio);
    painter.drawImage(QRectF(part), Rendered_, source);
}

void TShowCurvas::FormActivate()
{
    TForm1* frame = FrameOf(this);
    if (!frame)
        return;
    frame->MapWindowActivated(this);
    if (Settled_)
        frame->ShowMapZoom(Zoom_);
}

QImage TShowCurvas::MapImage() const
{
    QImage image(Picture_.DisplaySize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawMapPicture(p, Picture_, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

QMimeData* TShowCurvas::MapMimeData() const
{
    auto* mime = new QMimeData;
    const QSize size = Picture_.DisplaySize();
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(Picture_.Ppi);
    generator.setTitle(Picture_.Design ? "Mapa Altimétrico do Projeto" : "Mapa Altimétrico");
    {
        QPainter p(&generator);
        DrawMapPicture(p, Picture_, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    mime->setData("image/svg+xml", svg.data());
    mime->setImageData(MapImage());
    return mime;
}

QPointF TShowCurvas::ToMap(QPointF viewPoint) const
{
    return viewPoint + QPointF(View_->horizontalScrollBar()->value(), View_->verticalScrollBar()->value());
}

TLinePoint TShowCurvas::MapPointToShown(const QPointF& pixel) const
{
    // Pixels to map units at the zoom, map units to metres past the
    // margins, metres to the fractional stake.
    const TMapGeometry& g = Picture_.Geometry;
    const long double ux = static_cast<long double>(pixel.x()) * g.W / std::max(1, ScaledWidth_);
    const long double uy = static_cast<long double>(pixel.y()) * g.H / std::max(1, ScaledHeight_);
    const long double x = g.XMin + (ux - 1000) / g.ScaleX;
    const long double y = g.YMin + (uy - 666) / g.ScaleY;
    const TDocumentObject* document = ViewedDocument();
    if (!document)
        return {x, y};
    const TTerreno& t = document->Terrain();
    const long double col = 1 + (x - static_cast<long double>(t.OriginX())) / static_cast<long double>(t.Lx());
    const long double row = 1 + (y - static_cast<long double>(t.OriginY())) / static_cast<long double>(t.Ly());
    return ShownPosition(t, col, row);
}

void TShowCurvas::StartProfileDrawing()
{
    if (!ViewedDocument()) {
        Messages().Warning(this, "O documento deste mapa foi fechado: não há cotas para o perfil.");
        return;
    }
    Tracer_.Start();
    View_->viewport()->setMouseTracking(true);
    View_->viewport()->setCursor(Qt::CrossCursor);
    View_->setFocus();
    QStatusTipEvent tip(kTraceHint);
    QCoreApplication::sendEvent(View_->viewport(), &tip);
}

void TShowCurvas::ProfilePress(QPointF viewPoint)
{
    Tracer_.Press(ToMap(viewPoint));
    View_->viewport()->update();
}

void TShowCurvas::ProfileMove(QPointF viewPoint)
{
    Tracer_.Move(ToMap(viewPoint));
    if (!Tracer_.Points().empty())
        View_->viewport()->update();
}

void TShowCurvas::ProfileRelease(QPointF viewPoint)
{
    if (Tracer_.Release(ToMap(viewPoint)))
        FinishProfile();
    else
        View_->viewport()->update();
}

void TShowCurvas::ProfileEnd(QPointF viewPoint)
{
    Tracer_.DoubleClick(ToMap(viewPoint));
    FinishProfile();
}

void TShowCurvas::CancelProfile()
{
    Tracer_.Cancel();
    View_->viewport()->unsetCursor();
    View_->viewport()->update();
    QStatusTipEvent tip{QString()};
    QCoreApplication::sendEvent(View_->viewport(), &tip);
}

void TShowCurvas::FinishProfile()
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

void TShowCurvas::CopyMap() const { QGuiApplication::clipboard()->setMimeData(MapMimeData()); }

TShowCurvas* CreateMapWindow(TForm1* frame, TAltimetricMap picture, TDocumentObject* document)
{
    const int zoom = frame ? std::clamp(frame->MapZoom(), kMinZoom, kMaxZoom) : 50;
    auto* w = new TShowCurvas(std::move(picture), zoom);
    w->SetViewedDocument(document);
    w->resize(255, 196);
    if (frame)
        frame->AddChild(w);
    else
        w->show();
    // The window never starts larger than the map.
    FitClientToContent(w, w->View_, w->ScaledSize(), [w] { w->UpdateScrollRanges(); });
    w->Settled_ = true;
    return w;
}

TShowCurvas* OpenAltimetricMap(TForm1& frame, TForm2& document, TTerreno* surface)
{
    TMapOptions options;
    options.Design = surface != nullptr;
    options.Ppi = ScreenPpi();
    options.DecimalSeparator = DecimalSeparator();
    options.CrsName = CrsCaption(document.Terrain().Extension().Georeference);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TAltimetricMap map;
    try {
        map = BuildAltimetricMap(surface ? *surface : document.Terrain(), frame.State().ContourRequest, options);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    TShowCurvas* w = CreateMapWindow(&frame, std::move(map), document.DocumentObject());
    w->SetProjectName(document.windowTitle());
    w->show();
    w->widget()->setFocus();
    return w;
}

void ShowAltimetricMap(TForm1& frame)
{
    const TProgramState& state = frame.State();
    TDefMapa* dialog = state.DefMapa;
    if (!frame.ActiveDocument() || !dialog)
        return;
    // The document may close while the dialog is open.
    if (dialog->Execute() != QDialog::Accepted || !frame.ActiveDocument())
        return;
    OpenAltimetricMap(frame, *frame.ActiveDocument());
}

void ShowDesignAltimetricMap(TForm1& frame)
{
    TDefMapa* dialog = frame.State().DefMapa;
    TForm2* document = frame.ActiveDocument();
    if (!document || !dialog)
        return;
    std::optional<TTerreno> design = DesignTerrain(document->Terrain());
    if (!design) {
        Messages().Warning(document, "É impossível desenhar o mapa do projeto antes de sistematizar o terreno.");
        return;
    }
    dialog->SetSurface(&*design);
    const int answer = dialog->Execute();
    dialog->SetSurface(nullptr);
    // The document may close, or another become active, while the dialog is open.
    if (answer != QDialog::Accepted || frame.ActiveDocument() != document)
        return;
    OpenAltimetricMap(frame, *document, &*design);
}

void seZoomChange(TForm1& frame, int value)
{
    if (TShowCurvas* map = frame.State().ActiveMapWindow; map && value >= kMinZoom && value <= kMaxZoom)
        map->ShowZoom(value);
}

void seZoomEnter(TForm1& frame)
{
    if (TShowCurvas* map = frame.State().ActiveMapWindow)
        frame.ShowMapZoom(map->Zoom());
}

}  // namespace nivora
