#pragma once
// TDefMapa: the dialog that collects the contour levels of an altimetric map.
// The user types levels one by one ("+" adds, "-" deletes) or has TDefCurvas
// propose equidistant ones; OK writes them into ContourRequest, from which
// the map is built. Created once at program start and reused: the level list
// is emptied and the limits are read from the active document at every
// opening.

#include "contour/ContourLevels.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;

namespace nivora {

class TDefCurvas;
class TForm2;
class TTerreno;
class TForm1;
struct TProgramState;

class TDefMapa : public QDialog {
    Q_OBJECT
public:
    // `state` holds the active document it reads and the ContourRequest it
    // fills; the frame's, which outlives the dialog.
    explicit TDefMapa(TProgramState& state, QWidget* parent = nullptr);

    // Reads the limits of the active document, empties the list and runs the
    // dialog; its result code (Accepted when ContourRequest has been filled).
    int Execute();
    // The frame's active document, whose levels the dialog defines.
    TForm2* ActiveDocument() const;
    // The surface whose limits the dialog shows instead of the document's
    // (the design's, for the map of the design); null for the document's.
    // Not owned: set it only around Execute.
    void SetSurface(TTerreno* surface) { Surface_ = surface; }

    void FormShow();
    // A key seen by the dialog before its controls; true when it is consumed.
    bool FormKeyPress(QChar key);
    // A key typed in edCurva; true when it is discarded (or inserted here).
    bool edCurvaKeyPress(QChar key);
    void btAddCurvaClick();
    void btDelCurvaClick();
    void ListBox1Click();
    void btCalcCurvasClick();
    void btOkExibeMapaClick();

    // The list's texts in list order.
    std::vector<std::string> LevelTexts() const;
    // Whether a level lies below the lowest or above the highest elevation.
    // Both limits are accepted as the labels show them: a limit kept in single
    // precision may lie a little inside the number shown for it.
    bool BelowLimits(long double level) const;
    bool AboveLimits(long double level) const;
    // Adds the texts not yet listed (the list sorts them).
    void AddLevelTexts(const std::vector<std::string>& texts);
    // The text of the range of elevations in the refusal messages: the two
    // limits as the dialog shows them.
    QString LevelRangeText() const;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SelectRow(int row);
    TTerreno* Surface_ = nullptr;
    void SetHelpContext();

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edCurva = nullptr;
    QPushButton* btAddCurva = nullptr;
    QPushButton* btDelCurva = nullptr;
    QPushButton* btCalcCurvas = nullptr;
    QLabel* Label4 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* cbUseInterpol = nullptr;
    QSlider* tbSuavizacao = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QRadioButton* rbMapaGeral = nullptr;
    QRadioButton* rbMapaParcial = nullptr;
    QPushButton* btOkExibeMapa = nullptr;
    QPushButton* btCancelaMapa = nullptr;
    QPushButton* HelpBtn = nullptr;

    // Holds the equidistant levels dialog (State_.DefCurvas) too.
    TProgramState& State_;
};

// Creates the map definition dialog and the equidistant levels dialog as
// hidden children of the frame, kept in its state, once: a second call
// returns the dialog made by the first as long as it exists.
TDefMapa* CreateAltimetricDialogs(TForm1& frame);

}  // namespace nivora
