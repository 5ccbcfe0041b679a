#pragma once
// TDefCurvas: proposes equidistant contour levels, a round interval between
// the lowest and highest elevation, and on OK adds them to the map
// definition dialog's list (at most 20 entries in all).

#include "data/NumberEdit.h"

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace nivora {

class TDefMapa;
struct TProgramState;

class TDefCurvas : public QDialog {
    Q_OBJECT
public:
    // `state` holds the equidistant inputs kept for the run.
    TDefCurvas(TProgramState& state, TDefMapa* defMapa, QWidget* parent = nullptr);

    // Fills the boxes from the equidistant defaults and runs the dialog.
    int Execute();

    void FormShow();
    // A key typed in one of the three boxes; true when it is discarded (or
    // inserted here).
    bool Edit1KeyPress(QLineEdit* edit, QChar key);
    void OKBtnClick();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    QPointer<TDefMapa> DefMapa;  // whose list receives the levels
    TProgramState& State_;
};

}  // namespace nivora
