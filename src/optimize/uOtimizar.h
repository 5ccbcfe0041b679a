#pragma once
// TOtimizar: the dialog behind "Cálculos → Superfície Otimizada...". The
// user limits the slopes between neighbouring stakes along X and Y, or along
// a main direction and across it (in percent), chooses the cut/fill ratio,
// the earth exported or imported, the deepest cut and fill, the step of the
// design grid and the user plan column that takes the surface. The surface
// is solved in a thread of its own while the frame's gauge moves; "Cancelar"
// stops it and leaves the document as it was. "Refinar" halves the step and
// solves again. Created once and reused: it keeps what was typed.

#include "optimize/OptimizedSurface.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <thread>

class QComboBox;
class QEventLoop;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace nivora {

class IProgress;
class TForm2;

class TOtimizar : public QDialog {
    Q_OBJECT
public:
    explicit TOtimizar(QWidget* parent = nullptr);
    ~TOtimizar() override;

    // Shows the dialog modally for the document, the frame's gauge showing
    // the solver's progress; true when a surface was designed.
    bool Execute(TForm2* document, IProgress* progress);

    void UpdateCaptions();
    void UpdateSlopeValues();
    // The nodes the design grid has at the step in the box.
    void UpdateNodeCount();
    void BitBtn1Click();
    void btRefinarClick();

    // What the boxes say: false (the message shown, the focus on the box at
    // fault) when one does not read or the limits cannot be met. The
    // bearing is as typed; the slot is 2..10.
    bool ReadControls(TSurfaceOptions& options, int& slot);
    // Whether a surface is being solved.
    bool Running() const { return Current_ != nullptr; }

public slots:
    // Cancel, Esc and the close box: while the surface is solved they stop it.
    void reject() override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Solves with the boxes' options and keeps the surface in the document.
    void Run();

    QRadioButton* rbEixos = nullptr;
    QRadioButton* rbDirecao = nullptr;
    QLabel* lbDirecao = nullptr;
    QLineEdit* edDirecao = nullptr;
    QLabel* lbPrincipal = nullptr;
    QLabel* lbTransversal = nullptr;
    QLineEdit* edPrincipalMin = nullptr;
    QLineEdit* edPrincipalMax = nullptr;
    QLineEdit* edTransversalMin = nullptr;
    QLineEdit* edTransversalMax = nullptr;
    QLabel* lbPrincipalMm = nullptr;
    QLabel* lbTransversalMm = nullptr;
    QLineEdit* edRelacao = nullptr;
    QLineEdit* edExportacao = nullptr;
    QLineEdit* edImportacao = nullptr;
    QLineEdit* edImportacaoCompactada = nullptr;
    QLineEdit* edCorteMax = nullptr;
    QLineEdit* edAterroMax = nullptr;
    QSpinBox* sePasso = nullptr;
    QLabel* lbNos = nullptr;
    QComboBox* cbPlano = nullptr;
    QPushButton* btRefinar = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    // During Execute: the document, the frame's gauge, the field it covers.
    TForm2* Document = nullptr;
    IProgress* Progress = nullptr;
    TSurfaceField Field;
    // The document of the last run, whose step the box keeps for "Refinar".
    const void* LastDocument = nullptr;
    bool Designed = false;
    // The run being solved, its thread (which may outlive a cancelled run
    // until the next one) and the loop that waits for it.
    class TGaugeRelay;
    struct TSolverRun;
    std::shared_ptr<TSolverRun> Current_;
    std::thread Solver_;
    QEventLoop* Loop_ = nullptr;
};

}  // namespace nivora
