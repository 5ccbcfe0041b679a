#pragma once
// TRestricoes: the dialog behind "Cálculos → Projeto com Restrições...". The
// user limits the plan's slopes along X and Y, or along a main direction and
// across it (each limit optional, typed in percent), asks for a least fall,
// chooses the cut/fill ratio, the earth exported or imported, an optional
// allowance for the settlement of deep fills, and the
// user plan column that takes the result. OK designs that plan on the active
// document and shows it in the results window; limits that cannot be met are
// explained and change nothing. Created once and reused: it keeps what was
// typed for the next design.

#include "calc/LimitedPlane.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nivora {

class TForm2;

class TRestricoes : public QDialog {
    Q_OBJECT
public:
    explicit TRestricoes(QWidget* parent = nullptr);

    // Shows the dialog modally for the document; true when OK designed a plan.
    bool Execute(TForm2* document);

    // The captions follow the choice of axes or a direction, and whether the
    // project is georeferenced (a bearing from north) or not.
    void UpdateCaptions();
    // The m/m value beside each slope box, from its percent.
    void UpdateSlopeValues();
    void BitBtn1Click();

    // What the boxes say: false (the message shown, the focus on the box at
    // fault) when one does not read or the limits cannot be met. The
    // bearing is as typed; the slot is 2..10.
    bool ReadControls(TLimitedDesign& design, int& slot);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QGroupBox* gbDirecao = nullptr;
    QRadioButton* rbEixos = nullptr;
    QRadioButton* rbDirecao = nullptr;
    QLabel* lbDirecao = nullptr;
    QLineEdit* edDirecao = nullptr;
    QGroupBox* gbLimites = nullptr;
    QLabel* lbPrincipal = nullptr;
    QLabel* lbTransversal = nullptr;
    QLineEdit* edPrincipalMin = nullptr;
    QLineEdit* edPrincipalMax = nullptr;
    QLineEdit* edTransversalMin = nullptr;
    QLineEdit* edTransversalMax = nullptr;
    QLineEdit* edQuedaMin = nullptr;
    QLabel* lbPrincipalMm = nullptr;
    QLabel* lbTransversalMm = nullptr;
    QLabel* lbQuedaMm = nullptr;
    QGroupBox* gbTerra = nullptr;
    QLineEdit* edRelacao = nullptr;
    QLineEdit* edExportacao = nullptr;
    QLineEdit* edImportacao = nullptr;
    QLineEdit* edImportacaoCompactada = nullptr;
    QComboBox* cbPlano = nullptr;
    QGroupBox* gbRecalque = nullptr;
    QLineEdit* edRecalqueProfundidade = nullptr;
    QLineEdit* edRecalquePercentual = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    // The document the dialog runs for, during Execute.
    TForm2* Document = nullptr;
};

}  // namespace nivora
