#pragma once
// THaulWindow: the haul of a document's current plan. The least haul is found
// on a thread of its own from a copy of the terrain (a large field takes
// minutes); the window then shows the volumes, the haul moment and mean haul,
// the mass curves along X and Y, and the cost at the prices typed in its two
// boxes. The frame's copy puts the figures and the chart on the clipboard;
// its print and PDF commands print them.

#include "calc/Haul.h"

#include "data/DocumentObject.h"

#include <QMdiSubWindow>
#include <QString>

#include <memory>

class QLabel;
class QLineEdit;
class QMimeData;
class QTimer;
class QWidget;

namespace nivora {

class TForm1;
class TForm2;
class TTerreno;

class THaulWindow : public QMdiSubWindow, public TDocumentSnapshot {
    Q_OBJECT
public:
    struct TJob;

    THaulWindow(const TTerreno& terrain, const QString& projectName, QWidget* parent = nullptr);
    ~THaulWindow() override;

    // Whether the haul is computed, and what it is.
    bool Ready() const { return Ready_; }
    const THaulResult& Result() const { return Result_; }
    const QString& ProjectName() const { return ProjectName_; }
    // The prices typed, R$/m3 and R$/m3 x km; false when a box holds no
    // number of zero or more.
    bool Prices(long double& volume, long double& haul) const;
    // The figures as lines of text, "name<Tab>value", with the user's
    // separator; the costs when the prices read.
    QString FiguresText() const;
    QMimeData* HaulMimeData() const;
    void CopyHaul() const;

private:
    void Poll();
    void ShowResult();
    void UpdateCosts();

    std::shared_ptr<TJob> Job_;
    QTimer* Timer_ = nullptr;
    bool Ready_ = false;
    THaulResult Result_;
    QString ProjectName_;
    QLabel* lbEstado = nullptr;
    QLabel* lbCorte = nullptr;
    QLabel* lbAterro = nullptr;
    QLabel* lbRazao = nullptr;
    QLabel* lbMomento = nullptr;
    QLabel* lbDistancia = nullptr;
    QLabel* lbCustoVolume = nullptr;
    QLabel* lbCustoTransporte = nullptr;
    QLabel* lbCustoTotal = nullptr;
    QLineEdit* edPrecoVolume = nullptr;
    QLineEdit* edPrecoTransporte = nullptr;
    QWidget* Chart_ = nullptr;
};

// The frame's "Distância de Transporte...": opens the haul window of the
// active document's current plan, after a warning when it has none.
THaulWindow* OpenHaulWindow(TForm1& frame, TForm2& document);

}  // namespace nivora
