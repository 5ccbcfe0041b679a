#pragma once
// TImportaPontos: the dialog behind "Importar Pontos...". It reads a survey
// points file, shows the layout it found (columns, separator, decimal mark,
// header lines) for the user to correct, proposes the grid (spacing, origin,
// method, distances), keeps a live summary of what the import will give, and
// on OK makes a new grid document of the interpolated elevations.

#include "survey/PointImport.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace nivora {

class TImportaPontos : public QDialog {
    Q_OBJECT
public:
    explicit TImportaPontos(QWidget* parent = nullptr);
    ~TImportaPontos() override;

    // Asks for a file, then shows the dialog modally; true when a document
    // was created.
    bool Execute();
    // Reads the file and fills the dialog with what was detected in it. False
    // (the message shown) when it cannot be read.
    bool LoadFile(const QString& path);

    void btArquivoClick();
    void FormatChange();
    void GridChange();
    void BitBtn1Click();
    // Recounts the stakes that will get an elevation now (the dialog does it
    // a moment after the last change).
    void UpdateSummary();

    const TPreparedPoints* Prepared() const { return Points.get(); }

private:
    QLineEdit* edArquivo = nullptr;
    QPushButton* btArquivo = nullptr;
    QComboBox* cmbNome = nullptr;
    QComboBox* cmbE = nullptr;
    QComboBox* cmbN = nullptr;
    QComboBox* cmbZ = nullptr;
    QComboBox* cmbCodigo = nullptr;
    QComboBox* cmbSeparador = nullptr;
    QComboBox* cmbDecimal = nullptr;
    QSpinBox* spCabecalho = nullptr;
    QCheckBox* cbGraus = nullptr;
    QLineEdit* edLx = nullptr;
    QLineEdit* edLy = nullptr;
    QLineEdit* edOrigemX = nullptr;
    QLineEdit* edOrigemY = nullptr;
    QRadioButton* rbTriangulacao = nullptr;
    QRadioButton* rbProximo = nullptr;
    QLineEdit* edDistancia = nullptr;
    QLineEdit* edLado = nullptr;
    QPlainTextEdit* memResumo = nullptr;
    QProgressBar* pbProgresso = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    TPointFormat FormatFromControls() const;
    void ShowFormat(const TPointFormat& f);
    void Prepare();
    void ShowDefaults();
    // The grid of the fields; false when one of them is not a number.
    bool ParamsFromFields(TGridParams& p) const;
    void SetField(QLineEdit* edit, double value);

    QString Path;
    TPointFormat Detected;
    std::unique_ptr<TPreparedPoints> Points;
    QTimer* SummaryTimer = nullptr;
    // Fields the user typed in no longer follow the spacing.
    bool OriginTyped = false;
    bool DistanceTyped = false;
    bool EdgeTyped = false;
    bool Filling = false;
};

}  // namespace nivora
