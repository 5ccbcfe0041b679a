#pragma once
// TShowCurvas: a window on one altimetric map picture, scaled by its zoom
// (25 to 400 %) and scrolled with the scroll bars or the keys. Replaying the
// picture of a large field takes the same time whatever little of it shows,
// so the window draws the picture once at its zoom and paints from that
// image as it scrolls. Many may be
// open, each with its own picture and zoom; the frame's zoom box follows the
// active one. The frame's copy command puts the picture on the clipboard at
// its full size, whatever the zoom.

#include "calc/Profile.h"
#include "calc/uPerfil.h"
#include "contour/AltimetricMap.h"

#include "data/DocumentObject.h"

#include <QAbstractScrollArea>
#include <QMdiSubWindow>
#include <QThreadPool>

#include <atomic>
#include <memory>

class QMimeData;

namespace nivora {

class TShowCurvas;
class TForm1;
class TForm2;
class TTerreno;

// One direction of a scroll: a number of pixels, or a page back or forward,
// or to the start or the end.
struct TScrollStep {
    enum TKind { Pixels, PageBack, PageForward, ToStart, ToEnd };
    TKind Kind = Pixels;
    int Amount = 0;
    static TScrollStep By(int pixels) { return {Pixels, pixels}; }
    static TScrollStep None() { return {Pixels, 0}; }
};

class TCurvasView : public QAbstractScrollArea {
    Q_OBJECT
public:
    TCurvasView(TShowCurvas& window, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // Moves what is painted and has only the strip it uncovers painted.
    void scrollContentsBy(int dx, int dy) override;

private:
    TShowCurvas& Window;
};

class TShowCurvas : public QMdiSubWindow, public TDocumentSnapshot {
    Q_OBJECT
public:
    TShowCurvas(TAltimetricMap picture, int zoom, QWidget* parent = nullptr);
    ~TShowCurvas() override;

    int Zoom() const { return Zoom_; }  // percent
    // The map's size at the zoom, in pixels.
    QSize ScaledSize() const { return {ScaledWidth_, ScaledHeight_}; }
    const TAltimetricMap& Picture() const { return Picture_; }
    // The caption of the document the map was drawn for, for its printout.
    const QString& ProjectName() const { return ProjectName_; }
    void SetProjectName(const QString& name) { ProjectName_ = name; }

    void ShowZoom(int zoom);
    void ScrollBy(TScrollStep horizontal, TScrollStep vertical);
    // It becomes the frame's active map window.
    void FormActivate();
    // True when the key acted.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Paints the part `exposed` of the client area (all of it when null).
    void FormPaint(QPainter& painter, const QRect& exposed = QRect());
    // The scroll bars' ranges for the scaled size and the client area.
    void UpdateScrollRanges();
    // The picture as the clipboard takes it: SVG at its full size, and the
    // same drawn into an image.
    QMimeData* MapMimeData() const;
    void CopyMap() const;
    // The picture drawn at its full size.
    QImage MapImage() const;

    // Whether the map drawn at the window's zoom is at hand, and how many
    // paints have replayed the picture instead.
    bool MapRendered() const;
    int Replays() const { return Replays_; }

    // The line of a profile drawn on the map, as on the cut-and-fill map
    // (TLineTracer); ending it opens the profile window.
    void StartProfileDrawing();
    bool DrawingProfile() const { return Tracer_.Active(); }
    const TLineTracer& Tracer() const { return Tracer_; }
    // Where a pixel of the map at its zoom lies, in shown coordinates.
    TLinePoint MapPointToShown(const QPointF& pixel) const;
    void ProfilePress(QPointF viewPoint);
    void ProfileMove(QPointF viewPoint);
    void ProfileRelease(QPointF viewPoint);
    void ProfileEnd(QPointF viewPoint);
    void FinishProfile();
    void CancelProfile();

private:
    friend TShowCurvas* CreateMapWindow(TForm1* frame, TAltimetricMap picture, TDocumentObject* document);

    void SetScaledSize();
    // The size of the map drawn at the zoom on the screen's pixels.
    QSize RenderSize() const;
    // Has the map drawn at the zoom on the pool's thread, unless it is at
    // hand, under way, or would take more memory than a window should hold;
    // true while a drawing at the zoom is under way.
    bool StartRendering();
    // A point of the view as a pixel of the map at its zoom.
    QPointF ToMap(QPointF viewPoint) const;
    TLineTracer Tracer_;

    // False while the window is being created: its first activation comes
    // before its zoom is settled and must not write the zoom box.
    bool Settled_ = false;
    int Zoom_ = 0;
    int ScaledWidth_ = 0;
    int ScaledHeight_ = 0;
    TAltimetricMap Picture_;
    QString ProjectName_;
    TCurvasView* View_ = nullptr;
    QImage Rendered_;  // the map at the zoom
    int Replays_ = 0;
    int Pending_ = 0;         // the zoom being drawn, 0 when none
    bool LeftBlank_ = false;  // a strip waits for the drawing under way
    qreal PendingRatio_ = 0;
    std::shared_ptr<std::atomic<int>> Latest_;  // the newest drawing asked for
    QThreadPool Renderer_;                      // one thread; waited for on closing
};

// Creates a map window for the picture at the zoom of the frame's zoom box,
// adds it to the frame and shrinks its client area to the scaled map where
// that is smaller. It names `document`, the one it was drawn for, while that
// stays open.
TShowCurvas* CreateMapWindow(TForm1* frame, TAltimetricMap picture, TDocumentObject* document = nullptr);

// The frame's "Mapa Altimétrico..." command: when there is an active document
// and the map definition dialog closes with OK, builds the map of the levels
// asked for and shows it in a new window, which becomes ActiveMapWindow.
void ShowAltimetricMap(TForm1& frame);
// Builds the map of the document for the frame's ContourRequest and opens
// its window.
// With `surface`, the map of that surface instead of the document's
// elevations (DesignSurface: the map of the design).
TShowCurvas* OpenAltimetricMap(TForm1& frame, TForm2& document, TTerreno* surface = nullptr);
// The frame's "Mapa Altimétrico do Projeto" command: the same for the
// contours of the active document's design; a warning when it has none.
void ShowDesignAltimetricMap(TForm1& frame);

// The frame's zoom box: a new value in 25..400 rescales ActiveMapWindow;
// entering the box shows that window's zoom.
void seZoomChange(TForm1& frame, int value);
void seZoomEnter(TForm1& frame);

}  // namespace nivora
