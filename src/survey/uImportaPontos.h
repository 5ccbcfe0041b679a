#pragma once
// TImportaPontos: the dialog behind "Importar Pontos...". It reads a survey
// points file (with a progress window that can cancel it), shows the layout
// it found (columns, separator, decimal mark, header lines) for the user to
// correct, proposes the coordinate system and the grid (spacing, origin,
// method, distances), keeps a live summary and a small picture of what the
// import will give, and on OK makes a new grid document of the interpolated
// elevations.
//
// The summary and the picture are computed in a thread of their own a moment
// after the last change, so that typing never waits for them; a result the
// fields have moved on from is dropped.

#include "survey/PointImport.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <QWidget>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QThreadPool;
class QTimer;

namespace nivora {

// The picture of the points and of the grid they give, north up: a stake
// that gets an elevation, one that stays empty, and the points over them.
struct TPointsPicture {
    QImage Image;
    // Survey coordinates of the image's top-left corner, and its scale.
    double West = 0;
    double North = 0;
    double MetresPerPixel = 1;
    // The pixel a survey coordinate falls in.
    QPoint PixelOf(double e, double n) const;

    static constexpr QRgb kBackground = 0xffffffff;
    static constexpr QRgb kStakeWithElevation = 0xff7cc87c;
    static constexpr QRgb kEmptyStake = 0xffd7d7d7;
    static constexpr QRgb kPointOutside = 0xff1e3cb4;
};

// Draws the points and, when there is one, the grid of the parameters.
// Throws what `stale` throws when it says the picture is no longer wanted.
TPointsPicture DrawPointsPicture(const TPreparedPoints& points, const TGriddedPoints* grid, const TGridParams& p,
                                 QSize size);

// Shows the picture scaled into its rectangle, with the north.
class TPreviaPontos : public QWidget {
    Q_OBJECT
public:
    explicit TPreviaPontos(QWidget* parent = nullptr);
    void SetPicture(TPointsPicture picture);
    const TPointsPicture& Picture() const { return Picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPointsPicture Picture_;
};

class TImportaPontos : public QDialog {
    Q_OBJECT
public:
    explicit TImportaPontos(QWidget* parent = nullptr);
    ~TImportaPontos() override;

    // Asks for a file, then shows the dialog modally; true when a document
    // was created.
    bool Execute();
    // Reads the file and fills the dialog with what was detected in it. False
    // when it cannot be read (the message shown) or the user cancelled the
    // reading; the dialog then keeps the file it had.
    bool LoadFile(const QString& path);

    void btArquivoClick();
    void FormatChange();
    void GridChange();
    void BitBtn1Click();
    // Starts the summary and the picture of the fields as they are now (the
    // dialog does it a moment after the last change); they show when done.
    void UpdateSummary();
    // A summary is waiting to be computed or shown.
    bool SummaryPending() const { return Pending; }
    void edEpsgChange();

    const TPreparedPoints* Prepared() const { return Points.get(); }

private:
    // The dialog's parts, top to bottom, in the order of the keyboard focus.
    QLayout* MakeFileRow();
    QGroupBox* MakeColumnsBox();
    QGroupBox* MakeFormatBox();
    QGroupBox* MakeGridBox();
    QGroupBox* MakeSystemBox();
    QLayout* MakeSummaryRow();
    void ConnectControls();

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
    QLineEdit* edEpsg = nullptr;
    QLabel* lbSistema = nullptr;
    QPlainTextEdit* memResumo = nullptr;
    TPreviaPontos* imPrevia = nullptr;
    QProgressBar* pbProgresso = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    TPointFormat FormatFromControls() const;
    void ShowFormat(const TPointFormat& f);
    void Prepare();
    // Reads the file with the options (what they leave out detected); empty
    // when the user cancelled. Throws for a file that cannot be read.
    std::shared_ptr<const TPreparedPoints> ReadFile(const QString& path, const TPointOptions& options);
    // The system the user named for points in degrees; 0 when none.
    std::int32_t NamedEpsg() const;
    // The points in degrees were projected into another system than the
    // one named.
    bool ProjectedElsewhere() const;
    void ShowProposedEpsg();
    struct TSummary;
    void ShowSummary(const std::shared_ptr<TSummary>& summary);
    // The grid, its summary and its picture, in the summary's own thread;
    // false when a newer summary made this one stale.
    static bool ComputeSummary(TSummary& summary, const std::atomic<bool>& stale, const std::string& reading,
                               char decimal, QSize pictureSize, QProgressBar* bar);
    // Drops the summary being computed.
    void AbandonSummary();
    // The fields changed: a new summary follows after a pause.
    void SummaryOutdated();
    void ShowDefaults();
    // The grid of the fields; false when one of them is not a number.
    bool ParamsFromFields(TGridParams& p) const;
    // The grid and the system the fields give, each checked with its message
    // (ValidateNumberEdit); false at the first one refused.
    bool ValidateGridFields(TGridParams& p, std::int32_t& epsg) const;
    void SetField(QLineEdit* edit, double value);

    QString Path;
    TPointFormat Detected;
    std::shared_ptr<const TPreparedPoints> Points;
    QTimer* SummaryTimer = nullptr;
    // The summary's thread, and the flag of the one computing, set when its
    // result is no longer wanted.
    QThreadPool* Pool = nullptr;
    // The thread that reads the files.
    QThreadPool* ReadPool = nullptr;
    std::shared_ptr<std::atomic<bool>> Stale;
    bool Pending = false;
    // The grid of the last summary, for OK when the fields still give it.
    std::shared_ptr<const TSummary> Last;
    // Fields the user typed in no longer follow the spacing.
    bool OriginTyped = false;
    bool DistanceTyped = false;
    bool EdgeTyped = false;
    bool EpsgTyped = false;
    bool Filling = false;
};

}  // namespace nivora
