#pragma once
// TDefSist: the systematize dialog. The user chooses the whole data area or
// the selected block of the active document, and optionally a cut/fill ratio;
// OK starts the systematization run. Created once and reused: the check box
// and the ratio keep their state, the radio buttons are set at every opening.

#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nivora {

constexpr long double DefaultRatio = 1.3L;

class TDefSist : public QDialog {
    Q_OBJECT
public:
    explicit TDefSist(QWidget* parent = nullptr);

    // Sets the radio buttons from the active document and runs the dialog.
    void Execute();

    void FormShow();
    void cbAjustaCAClick();
    // A key typed in the ratio field; true when it is discarded.
    bool edRelCAKeyPress(QChar key);
    void edRelCAExit();
    void btOkSistematizaClick();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* rbSistematizaTudo = nullptr;
    QRadioButton* rbSistematizaSelecao = nullptr;
    QFrame* Bevel1 = nullptr;
    QCheckBox* cbAjustaCA = nullptr;
    QLineEdit* edRelCA = nullptr;
    QPushButton* btOkSistematiza = nullptr;
    QPushButton* btCancelaSistematizacao = nullptr;
    QPushButton* HelpBtn = nullptr;
};

}  // namespace nivora
