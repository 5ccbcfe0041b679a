#pragma once
// TPerfil: a window on the profile along a line: the chart of the ground and
// the design (ProfileChart.h) with its vertical exaggeration, and the table of
// the sections across the line with their areas and the earth between them.
// The frame's copy command puts the chart on the clipboard (SVG and image)
// with the stations and sections as text; it prints and exports to PDF like
// the maps. TDefPerfil asks for the line by its coordinates and for the
// spacings; the maps let the user draw the line instead (TProfileDrawing).

#include "calc/Profile.h"
#include "data/DocumentObject.h"

#include <QDialog>
#include <QImage>
#include <QMdiSubWindow>
#include <QPointF>
#include <QWidget>

#include <vector>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPainter;
class QTableWidget;

namespace nivora {

class TForm1;
class TForm2;
class TPerfil;

class TPerfilView : public QWidget {
    Q_OBJECT
public:
    TPerfilView(TPerfil& window, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TPerfil& Window;
};

class TPerfil : public QMdiSubWindow, public TDocumentSnapshot {
    Q_OBJECT
public:
    TPerfil(TProfile profile, char decimalSeparator, QWidget* parent = nullptr);

    const TProfile& Profile() const { return Profile_; }
    // The exaggeration asked for; 0 fits the elevations to the window.
    double Exaggeration() const;
    void SetExaggeration(double exaggeration);
    // The caption of the document the profile was drawn for, for its printout.
    const QString& ProjectName() const { return ProjectName_; }
    void SetProjectName(const QString& name) { ProjectName_ = name; }

    // The chart `size` pixels large.
    QImage ChartImage(QSize size) const;
    QMimeData* ChartMimeData() const;
    void CopyChart() const;

private:
    friend class TPerfilView;
    void FillTable();

    TProfile Profile_;
    char Separator_ = ',';
    QString ProjectName_;
    TPerfilView* View_ = nullptr;
    QDoubleSpinBox* seExagero = nullptr;
    QLabel* lbResumo = nullptr;
    QTableWidget* sgSecoes = nullptr;
};

// The line and the spacings of a profile, typed.
class TDefPerfil : public QDialog {
    Q_OBJECT
public:
    explicit TDefPerfil(QWidget* parent = nullptr);

    // Fills the boxes with a line from `from` to `to` (shown coordinates).
    void SetLine(const TLinePoint& from, const TLinePoint& to);
    // The line and the options as typed; false, with the reason shown, when
    // a box does not hold a number.
    bool Read(std::vector<TLinePoint>& line, TProfileOptions& options);
    void btOkClick();

    QLineEdit* edDeX = nullptr;
    QLineEdit* edDeY = nullptr;
    QLineEdit* edAteX = nullptr;
    QLineEdit* edAteY = nullptr;
    QLineEdit* edEstacas = nullptr;
    QLineEdit* edSecoes = nullptr;
    QLineEdit* edLargura = nullptr;
};

// The line of a profile drawn with the mouse on a map: a drag draws a
// straight line; clicks set the points of a polyline, which a double click
// or Enter ends; Esc cancels. The points are the map's own pixels.
class TLineTracer {
public:
    bool Active() const { return Active_; }
    const std::vector<QPointF>& Points() const { return Points_; }
    QPointF Rubber() const { return Rubber_; }

    void Start();
    void Press(QPointF at);
    void Move(QPointF at) { Rubber_ = at; }
    // True when the release ends a drag, and with it the line.
    bool Release(QPointF at);
    // The point double-clicked ends the line.
    void DoubleClick(QPointF at) { Points_.push_back(at); }
    // The points drawn (a point repeated once); the tracer is idle again.
    std::vector<QPointF> Finish();
    void Cancel();
    // The line so far and on to the pointer, the map's pixels moved by `shift`.
    void Paint(QPainter& painter, QPointF shift) const;

private:
    bool Active_ = false;
    std::vector<QPointF> Points_;
    QPointF Rubber_;
    QPointF PressedAt_;
    bool FirstPress_ = false;  // the press that set the line's first point
};

// What a map shows in the status line while a line is drawn on it.
inline constexpr const char* kTraceHint =
    "Desenhe a linha do perfil: arraste, ou clique nos pontos e termine com um clique duplo ou Enter; Esc cancela.";

// Computes the profile of `line` on the document and opens its window; an
// error box with the reason when the line cannot be profiled.
TPerfil* OpenProfileWindow(TForm1& frame, TDocumentObject& document, const QString& projectName,
                           const std::vector<TLinePoint>& line, const TProfileOptions& options);

// The frame's "Perfil..." command. On a map window it starts the drawing of
// the line on the map; on a grid it runs TDefPerfil with the line from the
// first to the last stake of the selection (of the used area without one)
// and opens the profile.
void ShowProfile(TForm1& frame);

}  // namespace nivora
