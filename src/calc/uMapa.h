#pragma once
// TMapa: a window on one cut-and-fill map. Many may be open; each owns its
// bitmap. Moving the pointer over the map shows the stake's coordinates and
// cut or fill in the frame's status line, and its depth as a bar in the
// frame's side panel, which shows only while a map window is active.

#include "calc/CutFillMap.h"
#include "calc/Profile.h"
#include "calc/uPerfil.h"

#include "data/DocumentObject.h"

#include <QAbstractScrollArea>
#include <QMdiSubWindow>
#include <QPointF>

#include <vector>

namespace nivora {

class TForm1;
class TMapa;

class TMapView : public QAbstractScrollArea {
    Q_OBJECT
public:
    TMapView(TMapa& window, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    TMapa& Window;
};

class TMapa : public QMdiSubWindow, public TDocumentSnapshot {
    Q_OBJECT
public:
    explicit TMapa(TCutFillMap map, QWidget* parent = nullptr);
    ~TMapa() override;

    const TCutFillMap& Map() const { return Map_; }
    const TFramedMap& Shown() const { return Shown_; }
    // The caption of the document the map was drawn for, for its printout.
    const QString& ProjectName() const { return ProjectName_; }
    void SetProjectName(const QString& name) { ProjectName_ = name; }

    // The stake under a point of the view, shown in the status line and the bar.
    void FormMouseMove(int x, int y);
    void FormActivate();
    void FormDeactivate();
    // Lays out the side bar for the plan this map was drawn from.
    void ScaleBar();
    void CopyMap() const;
    void UpdateScrollRanges();

    // The line of a profile drawn on the map: a drag draws a straight line;
    // clicks set the points of a polyline, ended by a double click or Enter;
    // Esc cancels. Ending it opens the profile window.
    void StartProfileDrawing();
    bool DrawingProfile() const { return Tracer_.Active(); }
    // The points drawn so far, in the map's pixels.
    const std::vector<QPointF>& ProfileLine() const { return Tracer_.Points(); }
    const TLineTracer& Tracer() const { return Tracer_; }
    // Where a pixel of the map lies, in shown coordinates (the stake
    // coordinates, or E and N of a georeferenced project).
    TLinePoint MapPointToShown(const QPointF& pixel) const;
    void ProfilePress(QPointF viewPoint);
    void ProfileMove(QPointF viewPoint);
    void ProfileRelease(QPointF viewPoint);
    void ProfileEnd(QPointF viewPoint);
    void FinishProfile();
    void CancelProfile();

private:
    friend TMapa* OpenMapWindow(TForm1* frame, TCutFillMap map, TDocumentObject* document);

    void ShowBar(std::int32_t col, std::int32_t row);
    TCutFillMap Map_;
    // What the window shows: the bitmap, framed with its real coordinates
    // when the project is georeferenced, and where the bitmap lies in it.
    TFramedMap Shown_;
    QString ProjectName_;
    TMapView* View_ = nullptr;
    TBarScale Scale_;  // the side bar's, for the plan the map was drawn from
    QPointF ToMap(QPointF viewPoint) const;
    TLineTracer Tracer_;
};

// Creates a map window on the bitmap in the frame (outer size 324 x 260,
// shrunk to the bitmap where it is smaller) and shows it; it becomes the
// frame's newest cut-and-fill map. It names `document`, the one it was drawn
// for, while that stays open.
TMapa* OpenMapWindow(TForm1* frame, TCutFillMap map, TDocumentObject* document = nullptr);

}  // namespace nivora
