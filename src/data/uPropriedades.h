#pragma once
// TPropriedades: the dialog behind "Propriedades do Projeto...": where the
// project's stakes are on the ground. It shows and sets the georeference of
// the active document (the coordinate system by its EPSG code, the easting
// and northing of stake (1, 1), the direction the rows run), or clears it.
// OK applies the change to the document, which then differs from its file;
// Cancel leaves the document as it was. Created once and reused; each use
// starts from the document's own georeference.

#include "data/ProjectExtension.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nivora {

class TForm2;

class TPropriedades : public QDialog {
    Q_OBJECT
public:
    explicit TPropriedades(QWidget* parent = nullptr);

    // Shows the dialog modally for the document; true when OK changed its
    // georeference.
    bool Execute(TForm2* document);

    // Fills the controls from a georeference (none: the project is not
    // georeferenced, the fields empty).
    void ShowGeoreference(const std::optional<TGeoreference>& georeference);
    // The system's name for the code typed, or why the code is refused.
    void edEpsgChange();
    // The coordinates of the last stake, from the fields as they stand.
    void UpdateCorner();
    void cbGeorreferenciadoClick();
    void BitBtn1Click();

    // What the controls say; nothing (the message shown, the focus on the
    // field at fault) when a field does not read.
    bool ReadControls(std::optional<TGeoreference>& georeference);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QCheckBox* cbGeorreferenciado = nullptr;
    QGroupBox* gbSistema = nullptr;
    QLineEdit* edEpsg = nullptr;
    QLabel* lbSistema = nullptr;
    QGroupBox* gbOrigem = nullptr;
    QLineEdit* edEste = nullptr;
    QLineEdit* edNorte = nullptr;
    QGroupBox* gbLinhas = nullptr;
    QRadioButton* rbSul = nullptr;
    QRadioButton* rbNorte = nullptr;
    QLabel* lbCanto = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    // The document the dialog runs for, during Execute.
    TForm2* Document = nullptr;
    // What OK read from the controls.
    std::optional<TGeoreference> Typed;
};

}  // namespace nivora
