#include "uShowCurvas.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "contour/uDefMapa.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace nivora {

TShowCurvas* ActiveMapWindow = nullptr;
bool TShowCurvas::Creating = false;

namespace {

constexpr int kMinZoom = 25;
constexpr int kMaxZoom = 400;

int ScrollTarget(const QScrollBar& bar, TScrollStep step, int client, int range)
{
    switch (step.Kind) {
    case TScrollStep::PageBack:
        return bar.value() - (client - 16);
    case TScrollStep::PageForward:
        return bar.value() + (client - 16);
    case TScrollStep::ToStart:
        return 0;
    case TScrollStep::ToEnd:
        return range;
    case TScrollStep::Pixels:
        break;
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

void TCurvasView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    Window.FormPaint(p);
}

void TCurvasView::keyPressEvent(QKeyEvent* e)
{
    if (!Window.FormKeyDown(e->key(), e->modifiers()))
        e->ignore();
}

void TCurvasView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Window.UpdateScrollRanges();
}

TShowCurvas::TShowCurvas(TAltimetricMap picture, int zoom, QWidget* parent)
    : QMdiSubWindow(parent), Zoom(zoom), Picture(std::move(picture))
{
    setObjectName("ShowCurvas");
    setAttribute(Qt::WA_DeleteOnClose);  // closing frees the window and its picture
    setWindowTitle("Mapa Altimétrico");
    View = new TCurvasView(*this, this);
    setWidget(View);
    SetScaledSize();
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
            FormActivate();
    });
}

TShowCurvas::~TShowCurvas()
{
    // Another map window that became active while this one closed keeps
    // its place.
    if (ActiveMapWindow == this)
        ActiveMapWindow = nullptr;
}

void TShowCurvas::SetScaledSize()
{
    const QSize scaled = ScaledSize(Picture.DisplaySize(), Zoom);
    ScaledWidth = scaled.width();
    ScaledHeight = scaled.height();
}

void TShowCurvas::UpdateScrollRanges()
{
    // The bars' ranges are the scaled map; a position runs from 0 to the
    // range less the client area.
    const QSize client = View->viewport()->size();
    View->horizontalScrollBar()->setRange(0, std::max(0, ScaledWidth - client.width()));
    View->verticalScrollBar()->setRange(0, std::max(0, ScaledHeight - client.height()));
    View->horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    View->verticalScrollBar()->setPageStep(std::max(1, client.height()));
}

void TShowCurvas::ShowZoom(int zoom)
{
    Zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    SetScaledSize();
    UpdateScrollRanges();
    View->viewport()->update();
}

void TShowCurvas::ScrollBy(TScrollStep horizontal, TScrollStep vertical)
{
    const QSize client = View->viewport()->size();
    QScrollBar* h = View->horizontalScrollBar();
    QScrollBar* v = View->verticalScrollBar();
    h->setValue(ScrollTarget(*h, horizontal, client.width(), ScaledWidth));
    v->setValue(ScrollTarget(*v, vertical, client.height(), ScaledHeight));
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
    case Qt::Key_Left:
        ScrollBy(TScrollStep::By(-pixels), none);
        break;
    case Qt::Key_Right:
        ScrollBy(TScrollStep::By(pixels), none);
        break;
    case Qt::Key_Up:
        ScrollBy(none, TScrollStep::By(-pixels));
        break;
    case Qt::Key_Down:
        ScrollBy(none, TScrollStep::By(pixels));
        break;
    case Qt::Key_Home:
        ScrollBy({ctrl ? TScrollStep::ToStart : TScrollStep::PageBack}, none);
        break;
    case Qt::Key_End:
        ScrollBy({ctrl ? TScrollStep::ToEnd : TScrollStep::PageForward}, none);
        break;
    case Qt::Key_PageUp:
        ScrollBy(none, {ctrl ? TScrollStep::ToStart : TScrollStep::PageBack});
        break;
    case Qt::Key_PageDown:
        ScrollBy(none, {ctrl ? TScrollStep::ToEnd : TScrollStep::PageForward});
        break;
    default:
        return false;
    }
    return true;
}

void TShowCurvas::FormPaint(QPainter& painter)
{
    const int h = View->horizontalScrollBar()->value();
    const int v = View->verticalScrollBar()->value();
    painter.setRenderHint(QPainter::Antialiasing);
    DrawMapPicture(painter, Picture, QRectF(-h, -v, ScaledWidth, ScaledHeight));
}

void TShowCurvas::FormActivate()
{
    ActiveMapWindow = this;
    if (!Creating && Form1())
        Form1()->seZoom->setValue(Zoom);
}

QImage TShowCurvas::MapImage() const
{
    QImage image(Picture.DisplaySize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawMapPicture(p, Picture, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

QMimeData* TShowCurvas::MapMimeData() const
{
    auto* data = new QMimeData;
    const QSize size = Picture.DisplaySize();
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(Picture.Ppi);
    generator.setTitle("Mapa Altimétrico");
    {
        QPainter p(&generator);
        DrawMapPicture(p, Picture, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    data->setData("image/svg+xml", svg.data());
    data->setImageData(MapImage());
    return data;
}

void TShowCurvas::CopyMap() const { QGuiApplication::clipboard()->setMimeData(MapMimeData()); }

TShowCurvas* CreateMapWindow(TAltimetricMap picture)
{
    const int zoom = Form1() ? std::clamp(Form1()->seZoom->value(), kMinZoom, kMaxZoom) : 50;
    TShowCurvas::Creating = true;
    auto* w = new TShowCurvas(std::move(picture), zoom);
    w->resize(255, 196);
    if (Form1())
        Form1()->AddChild(w);
    else
        w->show();
    // The window never starts larger than the map.
    FitClientToContent(w, w->View, QSize(w->ScaledWidth, w->ScaledHeight), [w] { w->UpdateScrollRanges(); });
    TShowCurvas::Creating = false;
    return w;
}

TShowCurvas* OpenAltimetricMap(TForm2& document)
{
    TMapOptions options;
    options.Ppi = ScreenPpi();
    options.DecimalSeparator = DecimalSeparator();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TAltimetricMap map;
    try {
        map = BuildAltimetricMap(document.Terrain(), ContourRequest, options);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    TShowCurvas* w = CreateMapWindow(std::move(map));
    ActiveMapWindow = w;
    w->show();
    w->View->setFocus();
    return w;
}

void ShowAltimetricMap()
{
    TDefMapa* dialog = DefMapaDialog();
    if (!ActiveDocument || !dialog)
        return;
    if (dialog->Execute() != QDialog::Accepted || !ActiveDocument)
        return;
    OpenAltimetricMap(*ActiveDocument);
}

void seZoomChange(int value)
{
    if (value >= kMinZoom && value <= kMaxZoom && ActiveMapWindow)
        ActiveMapWindow->ShowZoom(value);
}

void seZoomEnter()
{
    if (ActiveMapWindow && Form1())
        Form1()->seZoom->setValue(ActiveMapWindow->Zoom);
}

}  // namespace nivora
