#pragma once
// TExportar: the dialog behind "Exportar...": the file to write, whose type
// names the format (LandXML, GeoTIFF, GeoPackage, DXF, ASCII grid), what goes
// into it and the coordinate system it is written in. A project without a
// georeference is written in its own coordinates, and the dialog says so
// before anything is written. OK writes the file through the program's safe
// save, in a thread of its own while the frame's gauge moves; "Cancelar"
// then stops it, with nothing written and an earlier file of the name kept.
// A refusal or a failure is shown and the dialog stays open. Created once and
// reused.

#include "contour/ContourLevels.h"
#include "export/ExportData.h"

#include <QDialog>

#include <atomic>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace nivora {

class TForm2;

class TExportar : public QDialog {
    Q_OBJECT
public:
    explicit TExportar(QWidget* parent = nullptr);

    // Shows the dialog modally for the document; `levels` are the altimetric
    // map dialog's (the equidistant proposal when it has none), `progress`
    // the frame's gauge. True when a file was written.
    bool Execute(TForm2* document, const TContourRequest& levels, IProgress* progress);

    // The save dialog of the export formats; its choice fills the name.
    void btProcurarClick();
    // The format named by the name's extension, and the contents it holds.
    void edArquivoChange();
    // Writes the file; the dialog closes when it is written.
    void BitBtn1Click();
    // Cancel, Esc and the close box: while a file is written they stop it.
    void reject() override;
    // Whether a file is being written.
    bool Writing() const { return Writing_; }

    // The formats as the save dialog lists them, in this order.
    static QStringList Filters();

private:
    TExportContent Chosen() const;

    QLineEdit* edArquivo = nullptr;
    QPushButton* btProcurar = nullptr;
    QLabel* lbFormato = nullptr;
    QCheckBox* cbNatural = nullptr;
    QCheckBox* cbProjeto = nullptr;
    QCheckBox* cbCorteAterro = nullptr;
    QCheckBox* cbCurvas = nullptr;
    QCheckBox* cbContorno = nullptr;
    QLabel* lbCurvas = nullptr;
    QLabel* lbSistema = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    // During Execute: the document, its levels, the frame's gauge, whether its
    // plan is current, and what was written.
    TForm2* Document = nullptr;
    std::vector<long double> Levels;
    IProgress* Progress = nullptr;
    bool HasPlan = false;
    bool Written = false;
    bool Writing_ = false;
    std::atomic<bool> Cancelled{false};
};

}  // namespace nivora
