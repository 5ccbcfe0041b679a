#pragma once
// TMapaEscoamento: a window on the drainage map of a document. The user
// chooses the surface (the natural ground or the current plan) and the least
// fall the plan is checked against; a click on a stake marks it as an outlet
// or unmarks it (with none marked, water leaves at the border), and
// "Saídas na borda" drops the marks. Moving the pointer over the map tells
// the stake's depth and the area draining through it in the status line.

#include "calc/DrainageMap.h"

#include "data/DocumentObject.h"

#include <QImage>
#include <QMdiSubWindow>
#include <QWidget>

#include <optional>
#include <utility>

class QComboBox;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace nivora {

class TForm1;
class TForm2;
class TMapaEscoamento;

class TDrainageView : public QWidget {
    Q_OBJECT
public:
    explicit TDrainageView(TMapaEscoamento& window);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    TMapaEscoamento& Window;
};

class TMapaEscoamento : public QMdiSubWindow, public TDocumentSnapshot {
    Q_OBJECT
public:
    explicit TMapaEscoamento(TDrainageMap map, QWidget* parent = nullptr);
    ~TMapaEscoamento() override;

    const TDrainageMap& Map() const { return Map_; }
    const QImage& Image() const { return Image_; }
    const QString& ProjectName() const { return ProjectName_; }
    void SetProjectName(const QString& name) { ProjectName_ = name; }

    // The picture as an image and as SVG.
    void CopyMap() const;
    // The map again from the document, with the choices of the window; a
    // document closed or without a plan for the design is told and changes
    // nothing.
    void Recompute();
    // The stake under a point of the view, if any.
    std::optional<std::pair<std::int32_t, std::int32_t>> StakeAt(const QPoint& at) const;
    // What the status line tells of a stake.
    QString Readout(std::int32_t col, std::int32_t row) const;
    void ToggleOutlet(std::int32_t col, std::int32_t row);

    QComboBox* cbSuperficie = nullptr;
    QLineEdit* edQuedaMinima = nullptr;
    QPushButton* btBorda = nullptr;
    TDrainageView* View() const { return View_; }

private:
    void Show(TDrainageMap map);
    TDrainageMap Map_;
    QImage Image_;
    QString ProjectName_;
    QString LastFallText_;
    TDrainageView* View_ = nullptr;
    QScrollArea* Scroll_ = nullptr;
};

// Opens the drainage map of the active document, of its natural surface.
TMapaEscoamento* ShowDrainageMap(TForm1& frame);

}  // namespace nivora
